// Comparing a motif with a database of known motifs, with p-values: column
// scores are negative Euclidean distances between letter frequencies, an
// alignment scores the sum over its overlapping columns, and its p-value comes
// from the distribution of that sum when every query column meets a column
// drawn at random from the database (the convolution of the per-column score
// distributions). The best alignment of each target is corrected for the
// number of alignments tried; E- and q-values follow over the targets.
#pragma once

#include <cstddef>
#include <vector>

#include "formats/motif.h"
#include "stats/score_distribution.h"

namespace stats {

// Column scores are whole numbers: the Euclidean distance between the two
// columns' frequencies times this, rounded, with the sign turned. Distances
// run from 0 to sqrt(2), so a column score lies between -141 and 0.
constexpr int kScoreScale = 100;

// The score of a query column against a target column, both frequencies.
int columnScore(const formats::Column& query, const formats::Column& target);

struct ComparisonSettings {
  int minOverlap = 5;        // columns; the shorter motif's width when that is less
  double pseudocount = 0.1;  // added to each letter's count
};

// The target motifs with their frequencies. Every column of every target, in
// both orientations, is one draw of the null distribution of column scores.
class Database {
 public:
  Database(std::vector<formats::Motif> targets, double pseudocount);

  std::size_t size() const { return targets_.size(); }
  const formats::Motif& target(std::size_t t) const { return targets_[t]; }
  // Frequencies of target t as stored, or of its reverse complement.
  const std::vector<formats::Column>& columns(std::size_t t, bool reverse) const;
  // Every column of every target, as stored and complemented.
  const std::vector<formats::Column>& pool() const { return pool_; }

 private:
  std::vector<formats::Motif> targets_;
  std::vector<std::vector<formats::Column>> forward_, reverse_;
  std::vector<formats::Column> pool_;
};

// The best alignment of the query with one target.
struct MotifMatch {
  std::size_t target = 0;  // index in the database
  bool reverse = false;    // the target's reverse complement was aligned
  int offset = 0;          // the target's first column relative to the query's
  int overlap = 0;         // columns aligned
  int score = 0;           // sum of the column scores over the overlap
  double alignmentP = 1;   // p-value of that score for that overlap
  double p = 1;            // alignmentP corrected for the alignments tried
  double e = 1;            // p times the number of targets
  double q = 1;            // Benjamini-Hochberg over the targets of the query
};

// The null distribution of each query column's score: its scores against
// every column of the pool.
std::vector<ScoreDistribution> columnNulls(const std::vector<formats::Column>& query, const Database& database);

// The probability that at least one of `tries` independent alignments reaches
// p-value `p`: 1 - (1 - p)^tries, accurate for small p.
double correctedForTries(double p, int tries);

// Benjamini-Hochberg q-values of `p`, in the same order.
std::vector<double> benjaminiHochberg(const std::vector<double>& p);

// The best alignment of `query` with every target, best first (smallest p;
// on a tie, the earlier target).
std::vector<MotifMatch> compareWithDatabase(const formats::Motif& query, const Database& database,
                                            const ComparisonSettings& settings);

}  // namespace stats
