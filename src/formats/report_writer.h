// Writing a report: the header of run parameters and the block of each motif,
// printed from the values a search computed. The writers only format.
#pragma once

#include <cstdio>
#include <string>

#include "formats/report_data.h"

namespace report {

void writeHeader(std::FILE* out, const Parameters& parameters);
// "\nMotif rank #N\n" and the motif's block.
std::string motifText(const Motif& motif);
void writeMotif(std::FILE* out, const Motif& motif);
void writeReport(std::FILE* out, const Report& report);

}  // namespace report
