// One motif scanned over the pieces of a run: its matrices per strand with
// their score tails, the scan of one piece, the tallies of pieces added up,
// and the sites to write with their q-values.
//
// Memory stays bounded whatever the number of windows: a motif keeps the
// count of its windows per score (only the scores of p at most the run's
// bound, a few thousand at most) and at most --max-sites sites, the best by
// p. The counts give the exact Benjamini-Hochberg q-value of every score
// (stats/score_qvalues.h), so q-values do not need a second pass nor a
// p-value per window.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "formats/motif.h"
#include "scan/options.h"
#include "scan/pieces.h"
#include "stats/matrix_scanner.h"
#include "stats/scoring_matrix.h"
#include "stats/window_scorer.h"

namespace scan {

struct StrandMatrix {
  char strand = '+';
  stats::MatrixScanner scanner;
  stats::ScoreTail tail;
  // Windows scoring at least this are counted and may be sites: the lowest
  // score of p at most the run's bound (above the best score when none is).
  int floor = 0;
};

struct MotifModel {
  std::string id;
  std::string alt;
  int width = 0;
  std::vector<StrandMatrix> strands;
};

// The model of `motif` for the strands asked for, with floors at p = pBound.
// Throws FatalError naming the motif when one of its probabilities is 0
// (with a pseudo-count of 0).
MotifModel motifModel(const formats::Motif& motif, const stats::Background& background, double pseudocount,
                      Strands strands, double pBound);

struct FoundSite {
  std::size_t sequence = 0;
  long long start = 0;  // 0-based in the sequence
  int strand = 0;       // index into the model's strands
  int score = 0;
  double p = 1;
  std::string matched;  // read on the site's strand
};

// Sites by place: sequence, start, strand.
bool placedBefore(const FoundSite& a, const FoundSite& b);

// At most `most` sites, the best by p (of equal p, the first by place):
// the same set whatever order the sites come in.
class SiteKeeper {
 public:
  explicit SiteKeeper(long long most) : most_(most) {}
  void add(FoundSite site);
  void addAll(SiteKeeper&& other);
  // The sites kept, by place.
  std::vector<FoundSite> take();

 private:
  void trim(std::size_t size);
  long long most_;
  std::vector<FoundSite> sites_;
};

struct MotifTally {
  MotifTally(const MotifModel& model, long long most);
  // Adds the windows, counts and sites of a tally of the same motif.
  void add(MotifTally&& other);

  long long windows = 0;                       // windows scanned, every strand counted
  std::vector<std::vector<long long>> counts;  // [strand][score - floor]
  SiteKeeper sites;
};

// The motif over one piece, whose letters are coded in `coded` (one
// sequence per stretch).
MotifTally scanPiece(const MotifModel& model, const Piece& piece, const stats::CodedSequences& coded, long long most);

struct ReportedSite {
  FoundSite site;
  double q = 1;
};

struct MotifResult {
  std::vector<ReportedSite> sites;  // by place
  long long qualifying = 0;         // windows that pass the threshold; above sites.size() when --max-sites cut
  long long windows = 0;
};

// The sites that pass: all counted ones, or with `qValue` those of q at most
// it.
MotifResult finishMotif(const MotifModel& model, MotifTally&& tally, std::optional<double> qValue);

}  // namespace scan
