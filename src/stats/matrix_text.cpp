#include "stats/matrix_text.h"

#include <sstream>

#include "base/errors.h"
#include "formats/motif_export.h"
#include "stats/log_odds.h"

namespace stats {

bool isMatrixFormat(const std::string& format) {
  return format == "meme" || format == "jaspar" || format == "transfac" || format == "homer";
}

std::string matrixText(const std::string& format, const std::vector<formats::Motif>& motifs,
                       const formats::Report* report) {
  std::ostringstream out;
  if (format == "meme") {
    formats::writeMeme(out, motifs, report ? formats::memeDetailsOf(*report) : formats::MemeDetails{});
  } else if (format == "jaspar") {
    formats::writeJaspar(out, motifs);
  } else if (format == "transfac") {
    formats::writeTransfac(out, motifs,
                           report ? formats::transfacNotesOf(*report) : std::vector<formats::TransfacNotes>{});
  } else if (format == "homer") {
    std::vector<double> thresholds;
    for (const formats::Motif& m : motifs)
      thresholds.push_back(stats::detectionThreshold(formats::homerProbabilities(m)));
    formats::writeHomer(out, motifs, thresholds);
  } else {
    ZK_CHECK(false, "a matrix format is one of isMatrixFormat(): not " + format);
  }
  return out.str();
}

}  // namespace stats
