// Writing a report: the header of run parameters and the block of each motif,
// printed from the values a search computed. The writers only format.
#pragma once

#include <cstdio>
#include <string>

#include "formats/report_data.h"

namespace formats {

void writeReportHeader(std::FILE* out, const ReportParameters& parameters);
// "\nMotif rank #N\n" and the motif's block.
std::string reportMotifText(const ReportMotif& motif);
void writeReportMotif(std::FILE* out, const ReportMotif& motif);
void writeReport(std::FILE* out, const Report& report);

}  // namespace formats
