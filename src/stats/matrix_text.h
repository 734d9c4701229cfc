// Motifs as the matrix formats of zelkova-export give them: "meme", "jaspar",
// "transfac" or "homer", the last with a log-odds detection threshold per
// motif (stats::detectionThreshold). One place for what the program and
// the Python module write.
#pragma once

#include <string>
#include <vector>

#include "formats/motif.h"
#include "formats/report_data.h"

namespace stats {

// Whether `format` names one of the four.
bool isMatrixFormat(const std::string& format);

// The text of `motifs` in `format`. `report`, when the motifs are a report's
// (null otherwise), gives MEME its strands and TRANSFAC its notes (degenerate
// consensus, scores, number of sites). `format` is one of isMatrixFormat().
std::string matrixText(const std::string& format, const std::vector<formats::Motif>& motifs,
                       const formats::Report* report);

}  // namespace stats
