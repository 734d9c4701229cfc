#include "discover/inputs/sequences.h"

#include <cmath>
#include <numeric>

#include "base/errors.h"
#include "base/words.h"
#include "formats/command_files.h"
#include "formats/numbers.h"
#include "stats/shuffle.h"

namespace discover {

std::string centralLetters(const std::string& letters, int trim, long long& cut) {
  const std::size_t keep = static_cast<std::size_t>(trim);
  if (trim <= 0 || letters.size() <= keep) {
    cut = 0;
    return letters;
  }
  const std::size_t start = (letters.size() - keep) / 2;
  cut = static_cast<long long>(start);
  return letters.substr(start, keep);
}

bool holdsBases(const std::vector<FastaRecord>& records) {
  for (const FastaRecord& r : records)
    for (char c : r.letters)
      if (base::baseIndex(c) >= 0) return true;
  return false;
}

SequenceFile readSequenceFile(const std::string& path, int trim, bool maskLowercase, std::uint64_t maxLetters) {
  DnaRules rules;
  rules.lowerCase = maskLowercase ? LowerCase::AsN : LowerCase::AsUpper;
  rules.maxLetters = maxLetters;
  DnaFile read = readDnaFile(path, rules);
  SequenceFile file;
  file.records = std::move(read.records);
  file.iupacLetters = read.iupacLetters;
  for (FastaRecord& record : file.records) {
    long long cut = 0;
    file.givenLength.push_back(static_cast<long long>(record.letters.size()));
    record.letters = centralLetters(record.letters, trim, cut);
    file.trimmedOff.push_back(cut);
  }
  if (!holdsBases(file.records))
    throw FatalError("Error: " + formats::inputName(path) + " holds no A, C, G or T" +
                     (maskLowercase ? " in upper case" : "") + ".\n");
  return file;
}

long long usableWindows(const std::vector<FastaRecord>& records, int length) {
  long long windows = 0;
  for (const FastaRecord& r : records) {
    int run = 0;  // letters of A, C, G, T up to here
    for (char c : r.letters) {
      run = base::baseIndex(c) >= 0 ? run + 1 : 0;
      if (run >= length) ++windows;
    }
  }
  return windows;
}

std::size_t thinningStep(const std::vector<FastaRecord>& records, std::size_t maxLetters) {
  std::size_t total = 0;
  for (const FastaRecord& r : records) total += r.letters.size();
  return total <= maxLetters || maxLetters == 0 ? 1 : (total + maxLetters - 1) / maxLetters;
}

std::vector<FastaRecord> everyKth(const std::vector<FastaRecord>& records, std::size_t step) {
  if (step <= 1) return records;
  std::vector<FastaRecord> kept;
  for (std::size_t i = 0; i < records.size(); i += step) kept.push_back(records[i]);
  return kept;
}

std::vector<FastaRecord> thinnedToLetters(const std::vector<FastaRecord>& records, std::size_t maxLetters) {
  return everyKth(records, thinningStep(records, maxLetters));
}

int supportedOrder(const std::vector<FastaRecord>& records, int maxOrder, double countsPerWord) {
  for (int order = maxOrder; order > 0; --order) {
    const double words = std::pow(4.0, order + 1);
    if (2.0 * static_cast<double>(usableWindows(records, order + 1)) >= countsPerWord * words) return order;
  }
  return 0;
}

Split splitForHoldout(const std::vector<FastaRecord>& records, double fraction, std::uint64_t seed,
                      const std::string& what) {
  Split split;
  if (fraction <= 0.0) {
    split.search = split.test = records;
    return split;
  }
  const std::size_t n = records.size();
  const std::size_t held = static_cast<std::size_t>(std::llround(fraction * static_cast<double>(n)));
  if (held == 0 || held == n)
    throw FatalError("Error: a holdout of " + formats::significant(fraction) + " leaves " +
                     (held == 0 ? "no sequence of " + what + " to test on" : "no sequence of " + what + " to search") +
                     " (it has " + std::to_string(n) + "); choose another --holdout.\n");
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  stats::Random random(seed);
  for (std::size_t i = n - 1; i > 0; --i) std::swap(order[i], order[random.below(i + 1)]);
  std::vector<bool> heldOut(n, false);
  for (std::size_t i = 0; i < held; ++i) heldOut[order[i]] = true;
  for (std::size_t i = 0; i < n; ++i) (heldOut[i] ? split.test : split.search).push_back(records[i]);
  split.heldOut = held;
  return split;
}

std::vector<std::vector<FastaRecord>> decoySets(const std::vector<FastaRecord>& control, std::size_t size,
                                                int replicates) {
  std::vector<std::vector<FastaRecord>> sets;
  for (int r = 0; r < replicates; ++r) {
    std::vector<std::size_t> members;
    for (std::size_t i = static_cast<std::size_t>(r); i < control.size(); i += static_cast<std::size_t>(replicates))
      members.push_back(i);
    if (members.empty()) continue;
    std::vector<FastaRecord> set;
    const std::size_t keep = std::min(size, members.size());
    // Evenly spread over the control, so that a sorted file gives a fair sample.
    for (std::size_t k = 0; k < keep; ++k) set.push_back(control[members[k * members.size() / keep]]);
    sets.push_back(std::move(set));
  }
  return sets;
}

}  // namespace discover
