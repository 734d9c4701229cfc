#include "stats/markov_builder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <memory>

#include "base/words.h"
#include "formats/fasta.h"

namespace stats {

namespace {

std::uint64_t lowBitsMask(int letters) { return (std::uint64_t{1} << (2 * letters)) - 1; }

[[noreturn]] void fail(const std::string& what) { throw FatalError("Error: " + what + "\n"); }

}  // namespace

WordCounts::WordCounts(int maxLength) : maxLength_(maxLength) {
  ZK_ASSERT(maxLength >= 1 && maxLength <= MAX_MARKOV);
  for (int n = 1; n <= maxLength_; ++n) counts_[n].assign(std::size_t{1} << (2 * n), 0);
}

void WordCounts::addSequence(const std::string& letters, bool bothStrands) {
  base::RollingWindow window(maxLength_);
  addLetters(window, letters, bothStrands);
}

void WordCounts::addLetters(base::RollingWindow& window, std::string_view letters, bool bothStrands) {
  for (char letter : letters) {
    window.push(letter);
    if (window.run() > 0) countWindowsEndingHere(window.forward(), window.reverse(), window.run(), bothStrands);
  }
}

void WordCounts::countWindowsEndingHere(std::uint64_t forwardCode, std::uint64_t reverseCode, int validRun,
                                        bool bothStrands) {
  for (int n = 1; n <= validRun; ++n) {
    ++counts_[n][forwardCode & lowBitsMask(n)];
    ++totals_[n];
    if (bothStrands) {
      ++counts_[n][reverseCode >> (2 * (maxLength_ - n))];
      ++totals_[n];
    }
  }
}

double wordProbability(const WordCounts& counts, int length, std::size_t index, double pseudoCount) {
  std::uint64_t contextTotal = 0;
  if (length == 1) {
    contextTotal = counts.total(1);
  } else {
    const std::size_t firstSibling = index & ~std::size_t{3};
    for (std::size_t b = 0; b < 4; ++b) contextTotal += counts.count(length, firstSibling + b);
  }
  return (static_cast<double>(counts.count(length, index)) + pseudoCount) /
         (static_cast<double>(contextTotal) + 4.0 * pseudoCount);
}

namespace {

// The reader keeps probabilities in single precision and refuses 0, which a
// tiny pseudo-count over a large input can underflow to.
void requireStoredProbabilitiesAboveZero(const WordCounts& counts, double pseudoCount) {
  for (int n = 1; n <= counts.maxLength(); ++n) {
    const std::size_t words = std::size_t{1} << (2 * n);
    for (std::size_t index = 0; index < words; ++index) {
      if (!(static_cast<float>(wordProbability(counts, n, index, pseudoCount)) > 0.0f))
        fail("the probability of " + base::wordOf(index, n) +
             " is too small for a model file; use a larger pseudo-count.");
    }
  }
}

}  // namespace

MarkovModel buildModel(const WordCounts& counts, double pseudoCount) {
  requireStoredProbabilitiesAboveZero(counts, pseudoCount);
  MarkovModel model;
  for (int n = 1; n <= MAX_MARKOV; ++n) {
    const std::size_t words = std::size_t{1} << (2 * n);
    const bool counted = n <= counts.maxLength();
    model.tables[n].assign(words, 0.0f);
    model.given[n].assign(words, counted);
    for (std::size_t index = 0; counted && index < words; ++index)
      model.tables[n][index] = static_cast<float>(wordProbability(counts, n, index, pseudoCount));
  }
  model.lastWordLength = counts.maxLength();
  return model;
}

std::string modelText(const WordCounts& counts, double pseudoCount) {
  requireStoredProbabilitiesAboveZero(counts, pseudoCount);
  std::string text;
  char line[128];
  for (int n = 1; n <= counts.maxLength(); ++n) {
    const std::size_t words = std::size_t{1} << (2 * n);
    const std::uint64_t total = counts.total(n);
    for (std::size_t index = 0; index < words; ++index) {
      // Printed as the float the reader will store: nine significant digits
      // bring back exactly that float.
      const float probability = static_cast<float>(wordProbability(counts, n, index, pseudoCount));
      const std::uint64_t count = counts.count(n, index);
      const double frequency = total == 0 ? 0.0 : static_cast<double>(count) / static_cast<double>(total);
      const int length =
          std::snprintf(line, sizeof line, "%zu %s %.9g %" PRIu64 " %.9g\n", index, base::wordOf(index, n).c_str(),
                        static_cast<double>(probability), count, frequency);
      ZK_ASSERT(length > 0 && static_cast<std::size_t>(length) < sizeof line);
      text.append(line, static_cast<std::size_t>(length));
    }
  }
  return text;
}

std::uint64_t countFastaFile(const std::string& fileName, bool bothStrands, WordCounts& counts) {
  const std::uint64_t lettersBefore = counts.total(1);
  try {
    FastaReader reader(fileName, DnaRules());
    std::string name;
    long long records = 0;
    for (;; ++records) {
      base::RollingWindow window(counts.maxLength());
      const auto count = [&](std::string_view letters) { counts.addLetters(window, letters, bothStrands); };
      if (!reader.stream(name, count)) break;
    }
    if (records == 0) fail(reader.name() + " holds no FASTA record (a line starting with '>').");
    if (counts.total(1) == lettersBefore) fail(reader.name() + " holds no A, C, G or T to count.");
    return reader.iupacLetters();
  } catch (const ReadError& error) {
    fail(error.what());
  }
}

}  // namespace stats
