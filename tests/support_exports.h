// A report's motifs in each matrix format, written as zelkova-export writes
// them: through formats::fromReport with what the report adds.
#pragma once

#include <sstream>
#include <string>

#include "formats/motif_export.h"
#include "formats/motif_files.h"
#include "formats/report_reader.h"

namespace testing_support {

inline std::string memeOf(const formats::Report& r) {
  std::ostringstream out;
  formats::writeMeme(out, formats::fromReport(r, "report"), formats::memeDetailsOf(r));
  return out.str();
}

inline std::string jasparOf(const formats::Report& r) {
  std::ostringstream out;
  formats::writeJaspar(out, formats::fromReport(r, "report"));
  return out.str();
}

inline std::string transfacOf(const formats::Report& r) {
  std::ostringstream out;
  formats::writeTransfac(out, formats::fromReport(r, "report"), formats::transfacNotesOf(r));
  return out.str();
}

}  // namespace testing_support
