#include "markov_builder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <memory>

#include "fasta.h"
#include "words.h"

namespace markov_builder {

namespace {

std::uint64_t lowBitsMask(int letters) { return (std::uint64_t{1} << (2 * letters)) - 1; }

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void fail(const std::string& what) { throw FatalError("Error: " + what + "\n"); }

[[noreturn]] void failWithSystemError(const std::string& what, int errorNumber) {
  fail(what + ": " + std::strerror(errorNumber) + ".");
}

// Removes the temporary file unless the model made it to its final name.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) : name_(target + ".XXXXXX") {
    descriptor_ = ::mkstemp(&name_[0]);
    if (descriptor_ < 0) failWithSystemError("cannot write " + target, errno);
    // mkstemp makes the file private; the model should get the permissions of
    // any other file the user creates.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor_, 0666 & ~mask);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
    if (!kept_) std::remove(name_.c_str());
  }

  // A stream owning the descriptor from now on.
  std::FILE* releaseAsStream() {
    std::FILE* stream = ::fdopen(descriptor_, "w");
    if (stream) descriptor_ = -1;
    return stream;
  }
  const std::string& name() const { return name_; }
  void keep() { kept_ = true; }

 private:
  std::string name_;
  int descriptor_ = -1;
  bool kept_ = false;
};

}  // namespace

WordCounts::WordCounts(int maxLength) : maxLength_(maxLength) {
  ZK_ASSERT(maxLength >= 1 && maxLength <= MAX_MARKOV);
  for (int n = 1; n <= maxLength_; ++n) counts_[n].assign(std::size_t{1} << (2 * n), 0);
}

void WordCounts::addSequence(const std::string& letters, bool bothStrands) {
  words::RollingWindow window(maxLength_);
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

std::string wordAt(int length, std::size_t index) {
  std::string word(static_cast<std::size_t>(length), 'A');
  for (int i = length - 1; i >= 0; --i, index >>= 2) word[static_cast<std::size_t>(i)] = "ACGT"[index & 3];
  return word;
}

namespace {

// The reader keeps probabilities in single precision and refuses 0, which a
// tiny pseudo-count over a large input can underflow to. Checked before the
// first line goes out, so standard output never gets half a model.
void requireStoredProbabilitiesAboveZero(const WordCounts& counts, double pseudoCount) {
  for (int n = 1; n <= counts.maxLength(); ++n) {
    const std::size_t words = std::size_t{1} << (2 * n);
    for (std::size_t index = 0; index < words; ++index) {
      if (!(static_cast<float>(wordProbability(counts, n, index, pseudoCount)) > 0.0f))
        fail("the probability of " + wordAt(n, index) +
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

void writeModel(std::FILE* out, const std::string& outputName, const WordCounts& counts,
                double pseudoCount) {
  requireStoredProbabilitiesAboveZero(counts, pseudoCount);
  for (int n = 1; n <= counts.maxLength(); ++n) {
    const std::size_t words = std::size_t{1} << (2 * n);
    const std::uint64_t total = counts.total(n);
    for (std::size_t index = 0; index < words; ++index) {
      // Printed as the float the reader will store: nine significant digits
      // bring back exactly that float.
      const float probability = static_cast<float>(wordProbability(counts, n, index, pseudoCount));
      const std::uint64_t count = counts.count(n, index);
      const double frequency = total == 0 ? 0.0 : static_cast<double>(count) / static_cast<double>(total);
      std::fprintf(out, "%zu %s %.9g %" PRIu64 " %.9g\n", index, wordAt(n, index).c_str(),
                   static_cast<double>(probability), count, frequency);
    }
  }
  if (std::fflush(out) != 0 || std::ferror(out)) failWithSystemError("cannot write " + outputName, errno);
}

void countFastaFile(const std::string& fileName, bool bothStrands, WordCounts& counts) {
  const std::uint64_t lettersBefore = counts.total(1);
  try {
    forEachFastaRecord(fileName, [&](FastaRecord& record) { counts.addSequence(record.letters, bothStrands); });
  } catch (const FastaReadError& error) {
    fail(error.what());
  }
  if (counts.total(1) == lettersBefore) fail(fileName + " holds no A, C, G or T to count.");
}

void writeModelFile(const std::string& path, const WordCounts& counts, double pseudoCount) {
  TemporaryFile temporary(path);
  FilePtr out(temporary.releaseAsStream());
  if (!out) failWithSystemError("cannot write " + path, errno);
  writeModel(out.get(), path, counts, pseudoCount);
  if (::fsync(::fileno(out.get())) != 0) failWithSystemError("cannot write " + path, errno);
  if (std::fclose(out.release()) != 0) failWithSystemError("cannot write " + path, errno);
  if (std::rename(temporary.name().c_str(), path.c_str()) != 0)
    failWithSystemError("cannot write " + path, errno);
  temporary.keep();
}

}  // namespace markov_builder
