// Reading a zelkova report back into the values a search returns: the run
// parameters of its header and every motif block with its rank, scores,
// consensus words, count matrix and sites.
#pragma once

#include <iosfwd>
#include <string>

#include "formats/report_data.h"
#include "formats/text_lines.h"

namespace formats {

// Reads a whole report; `source` names it in error messages. Throws ReadError
// (base/errors.h) for a report that does not have the layout zelkova writes.
Report readReport(std::istream& in, const std::string& source);

// Reads the report file at `path`. A file that cannot be opened is a ReadError
// whose line() is 0 and whose message names no line.
Report readReportFile(const std::string& path);

}  // namespace formats
