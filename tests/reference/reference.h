// Literal definitions of what the engine computes by faster means. Only the
// tests link them: each says which production function it defines, and a test
// shows that both agree.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/clust.h"
#include "engine/node.h"
#include "engine/sequences.h"
#include "engine/site.h"
#include "stats/scoring_matrix.h"

namespace reference {

// The site record as the definitions hold it: both words of the window.
struct L_mer {
  char kmer[MAX_K] = {};    // forward-strand letters, NUL-terminated
  char rcKmer[MAX_K] = {};  // reverse complement of kmer, NUL-terminated
  int pos = 0;              // forward-strand start, 0-based
  int seqIdx = 0;
  double score = 0.0;
  bool strand = true;  // true: the text is kmer; false: rcKmer
  int matIdx = -1;

  const char* text() const { return strand ? kmer : rcKmer; }
};

// Walks the forward windows of the whole input one after the other, reusing
// one record (defines the window order of every scan: sequence by sequence,
// position by position, windows that do not fit skipped).
class InputCursor {
 public:
  explicit InputCursor(const SequenceSet& seqs);
  // The n-th forward window of the whole input, or null when n is out of range.
  const L_mer* GetInput(int n);

 private:
  const SequenceSet& seqs_;
  int fullDP_ = 0;
  int currPos_ = 0, currSeq_ = 0, currDP_ = 0;
  L_mer mer_;
};

// The window at strand position pos of a sequence as a site record (defines
// SequenceSet::siteAt).
L_mer initKmer(const SequenceSet& seqs, int pos, int seqIdx, bool strand);

// The reverse complement of a NUL-terminated word (defines base::reverseComplement).
void RevComp(const char* src, char* dst);

// A copy of `site` whose two words are cut to exactly K letters.
L_mer copySegment(const L_mer& site, int K);

// The site a motif keeps of a record: its own-strand word cut to K letters
// (defines SequenceSet::siteAt).
Site fromLmer(const L_mer& mer, int K);
// Adds the record to the motif as fromLmer makes it.
void add_kmer(node& motif, const L_mer* site);
// Empties the site list.
void removeHits(node& motif);

// Whether any site of the motif lies within d mismatches of the word, site by
// site through the letters (defines the word test of the cluster scan).
bool matchOne(const node& motif, const char* word, int d);

// Windows of `text` within m mismatches of `word`, window by window; the
// matched words are added to `matched` (defines the counting of the surprise
// score's distinct-word index).
int kMismatch(const char* text, const char* word, int L, int m, std::set<std::string>& matched);

// Cuts the text at its first line feed.
void noNewLine(char* text);

// The bounds (maxMisScore, minMisScore) of the motif's mismatch score from its
// plain frequencies, summed in single precision (defines node::normMismatch).
std::pair<float, float> norm_mismatch(const node& motif);

// ---- the distance table of divisive splitting ------------------------------

class matrix_error : public std::logic_error {
 public:
  explicit matrix_error(const std::string& what) : std::logic_error(what) {}
};

// A rows x columns matrix with checked element access.
template <class T>
class matrix {
 public:
  matrix(unsigned rows, unsigned cols) : elements_(static_cast<std::size_t>(rows) * cols), rows_(rows), cols_(cols) {}
  unsigned rows() const { return rows_; }
  unsigned cols() const { return cols_; }
  T& operator()(unsigned row, unsigned col) {
    if (row >= rows_ || col >= cols_) throw matrix_error("matrixT::operator(): Index out of range!");
    return elements_[static_cast<std::size_t>(row) * cols_ + col];
  }

 private:
  std::vector<T> elements_;
  unsigned rows_;
  unsigned cols_;
};

// The upper triangle of pairwise Hamming distances of the motif's sites in
// list order, -1 elsewhere; each site's matIdx becomes its row.
std::unique_ptr<matrix<float>> disMatrix(node& motif);

// Each member's mean distance to the rest of its group, and to the members of
// another group, by the table (define the counting forms of the splitting).
std::vector<float> averageHamming(const aCluster& group, matrix<float>& dist);
std::vector<float> crossGroupDist(const aCluster& from, const aCluster& to, matrix<float>& dist);

// The whole distribution of a scoring matrix's window score when the letters
// are drawn from `background`: the columns convolved one by one, every
// partial sum kept (defines stats::ScoreTail, which drops the sums that
// cannot reach its floor).
std::map<int, double> scoreDistribution(const stats::ScoringMatrix& matrix, const stats::Background& background);

}  // namespace reference
