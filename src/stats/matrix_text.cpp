#include "stats/matrix_text.h"

#include <sstream>

#include "base/errors.h"
#include "formats/motif_export.h"
#include "stats/log_odds.h"

namespace matrix_text {

bool isMatrixFormat(const std::string& format) {
  return format == "meme" || format == "jaspar" || format == "transfac" || format == "homer";
}

std::string text(const std::string& format, const std::vector<motif::Motif>& motifs, const report::Report* report) {
  std::ostringstream out;
  if (format == "meme") {
    export_formats::writeMeme(out, motifs,
                              report ? export_formats::memeDetailsOf(*report) : export_formats::MemeDetails{});
  } else if (format == "jaspar") {
    export_formats::writeJaspar(out, motifs);
  } else if (format == "transfac") {
    export_formats::writeTransfac(
        out, motifs, report ? export_formats::transfacNotesOf(*report) : std::vector<export_formats::TransfacNotes>{});
  } else if (format == "homer") {
    std::vector<double> thresholds;
    for (const motif::Motif& m : motifs)
      thresholds.push_back(log_odds::detectionThreshold(export_formats::homerProbabilities(m)));
    export_formats::writeHomer(out, motifs, thresholds);
  } else {
    ZK_CHECK(false, "a matrix format is one of isMatrixFormat(): not " + format);
  }
  return out.str();
}

}  // namespace matrix_text
