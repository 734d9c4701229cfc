// The whole run of zelkova-scan, from its options to the table of sites:
// motifs read, background chosen, every piece of the sequences or genome
// scanned by every motif (in parallel over pieces and motifs; the result is
// the same for any number of threads), q-values, the table written whole or
// not at all.
#pragma once

#include <string>
#include <vector>

#include "formats/motif.h"
#include "scan/motif_scan.h"
#include "scan/options.h"
#include "stats/scoring_matrix.h"

namespace scan {

// The background the options choose: a MEME background file, uniform, or
// the letters of what is scanned counted on both strands (a pass over the
// sequences or regions of its own).
scoring::Background chooseBackground(const Options& options, genome::IndexedGenome* genome,
                                     const std::vector<genome_intervals::Interval>& regions);

// Every motif over every piece of `source`; one result per motif, in order.
// Writes the progress to standard error when it is a terminal.
std::vector<MotifResult> scanAll(const std::vector<MotifModel>& models, PieceSource& source, const Options& options);

// Runs zelkova-scan; the exit status. Throws FatalError and the readers'
// errors (which name file and line).
int runScan(const Options& options);

}  // namespace scan
