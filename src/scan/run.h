// The whole run of zelkova-scan, from its options to the table of sites:
// motifs read, background chosen, every piece of the sequences or genome
// scanned by every motif (in parallel over pieces and motifs; the result is
// the same for any number of threads), q-values, the table written whole or
// not at all.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "formats/motif.h"
#include "formats/site_table.h"
#include "scan/motif_scan.h"
#include "scan/options.h"
#include "stats/scoring_matrix.h"

namespace scan {

// The background the options choose: a MEME background file, uniform, or
// the letters of what is scanned counted on both strands (a pass over the
// sequences or regions of its own).
stats::Background chooseBackground(const Options& options, formats::IndexedGenome* genome,
                                   const std::vector<stats::Interval>& regions);

// Told the letters of each round of pieces once scanned.
using ScanProgress = std::function<void(long long letters)>;

// Every motif over every piece of `source`; one result per motif, in order.
// `progress` may be empty.
std::vector<MotifResult> scanAll(const std::vector<MotifModel>& models, PieceSource& source, const Options& options,
                                 const ScanProgress& progress = {});

// The sites of a scan, as the table gives them, and the warnings of motifs
// whose sites --max-sites cut.
struct SiteTable {
  std::vector<formats::SiteRow> rows;  // motif by motif, each by place
  std::vector<std::string> warnings;   // one line each, without its line end
};

// Scans the sequences or genome of `options` with `motifs` (options.motifFiles
// is not read). Throws FatalError and the readers' errors (which name file and
// line).
SiteTable scanMotifs(const std::vector<formats::Motif>& motifs, const Options& options, const ScanProgress& progress);

// Runs zelkova-scan; the exit status. Writes the progress to standard error
// when it is a terminal. Throws FatalError and the readers' errors.
int runScan(const Options& options);

}  // namespace scan
