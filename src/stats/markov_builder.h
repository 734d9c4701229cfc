// Building Markov model files from FASTA sequences: word counts of every length
// up to order + 1, the probabilities derived from them, and the model text that
// readMarkovModel reads back.
//
// One entry per line, "index word probability count frequency", by length and
// then by index. For a 1-letter word the probability is its frequency, for a
// longer word the probability of its last letter after the others; both carry
// a pseudo-count so that no probability is 0, since the reader refuses 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/words.h"
#include "engine/markov_model.h"
#include "engine/site.h"

namespace stats {

constexpr int kMaxMarkovOrder = MAX_MARKOV - 1;
constexpr int kDefaultMarkovOrder = kMaxMarkovOrder;
constexpr double kDefaultMarkovPseudocount = 1.0;

// Occurrences of every word of 1..maxLength letters of A, C, G, T.
class WordCounts {
 public:
  explicit WordCounts(int maxLength);

  // Counts the words of `letters` (upper case, as the FASTA reader gives them);
  // a window holding any other character is not counted. With `bothStrands`
  // the words of the reverse complement are counted as well.
  void addSequence(const std::string& letters, bool bothStrands);
  // The same for a record given in pieces: `window` (of maxLength() letters,
  // new for every record) carries the last letters from one piece to the next.
  void addLetters(base::RollingWindow& window, std::string_view letters, bool bothStrands);

  int maxLength() const { return maxLength_; }
  std::uint64_t count(int length, std::size_t index) const { return counts_[length][index]; }
  // Occurrences of all words of `length` letters together.
  std::uint64_t total(int length) const { return totals_[length]; }

 private:
  void countWindowsEndingHere(std::uint64_t forwardCode, std::uint64_t reverseCode, int validRun, bool bothStrands);

  int maxLength_;
  std::array<std::vector<std::uint64_t>, MAX_MARKOV + 1> counts_;
  std::array<std::uint64_t, MAX_MARKOV + 1> totals_{};
};

// Probability field of the word of `length` letters at `index`:
//   length 1:  (count + pc) / (total + 4 pc)
//   otherwise: (count + pc) / (sum over b of count(prefix + b) + 4 pc)
// Requires pseudoCount > 0.
double wordProbability(const WordCounts& counts, int length, std::size_t index, double pseudoCount);

// Every entry of the model, one line each; throws FatalError when a
// probability would read back as 0.
std::string modelText(const WordCounts& counts, double pseudoCount);

// The model as readMarkovModel reads back the text of modelText: every
// probability in single precision. Throws FatalError when a probability would
// be 0.
MarkovModel buildModel(const WordCounts& counts, double pseudoCount);

// Adds every record of the FASTA file `fileName` ("-": standard input), plain
// or gzip-compressed, read by the companions' DNA rules as it streams by: no
// record is ever held, so a whole genome counts in the memory of the counts.
// Returns the number of IUPAC letters read as N. Throws FatalError naming the
// file when it cannot be read, holds a letter that is not DNA, no record, or
// no A, C, G or T.
std::uint64_t countFastaFile(const std::string& fileName, bool bothStrands, WordCounts& counts);

}  // namespace stats
