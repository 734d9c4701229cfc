// A report's motifs in each matrix format, written as zelkova-export writes
// them: through motif_files::fromReport with what the report adds.
#pragma once

#include <sstream>
#include <string>

#include "formats/motif_export.h"
#include "formats/motif_files.h"
#include "formats/report_reader.h"

namespace testing_support {

inline std::string memeOf(const report::Report& r) {
  std::ostringstream out;
  export_formats::writeMeme(out, motif_files::fromReport(r, "report"), export_formats::memeDetailsOf(r));
  return out.str();
}

inline std::string jasparOf(const report::Report& r) {
  std::ostringstream out;
  export_formats::writeJaspar(out, motif_files::fromReport(r, "report"));
  return out.str();
}

inline std::string transfacOf(const report::Report& r) {
  std::ostringstream out;
  export_formats::writeTransfac(out, motif_files::fromReport(r, "report"), export_formats::transfacNotesOf(r));
  return out.str();
}

}  // namespace testing_support
