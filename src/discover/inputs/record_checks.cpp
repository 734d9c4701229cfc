#include "discover/inputs/record_checks.h"

#include <algorithm>
#include <unordered_map>

#include "base/errors.h"
#include "base/words.h"
#include "engine/site.h"

namespace discover {

namespace {

// "record 4 (chr1:100-200)".
std::string recordText(std::size_t index, const std::string& name) {
  return "record " + std::to_string(index + 1) + " (" + name + ")";
}

bool holdsBase(const FastaRecord& record) {
  return std::any_of(record.letters.begin(), record.letters.end(), [](char c) { return base::baseIndex(c) >= 0; });
}

// Whether `record` holds `length` letters of A, C, G and T in a row.
bool holdsRun(const FastaRecord& record, int length) {
  int run = 0;
  for (char c : record.letters)
    if ((run = base::baseIndex(c) >= 0 ? run + 1 : 0) >= length) return true;
  return false;
}

std::string countText(std::size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string duplicateNames(const std::vector<FastaRecord>& records) {
  std::unordered_map<std::string, std::size_t> firstOf;
  std::size_t repeated = 0;
  std::string example;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto [at, fresh] = firstOf.emplace(records[i].name, i);
    if (fresh) continue;
    if (repeated++ == 0)
      example =
          "\"" + records[i].name + "\", records " + std::to_string(at->second + 1) + " and " + std::to_string(i + 1);
  }
  if (repeated == 0) return "";
  return countText(repeated, "record repeats the name", "records repeat the name") +
         " of an earlier one (first: " + example +
         "); sites.tsv names sites by their record, so those records cannot be told apart there";
}

std::string cutNames(const std::vector<FastaRecord>& records) {
  std::size_t atLimit = 0, first = 0;
  for (std::size_t i = 0; i < records.size(); ++i)
    if (records[i].name.size() >= longestName() && atLimit++ == 0) first = i;
  if (atLimit == 0) return "";
  return countText(atLimit, "record name reaches", "record names reach") + " " + std::to_string(longestName()) +
         " characters, the longest kept; longer names were cut there (first: record " + std::to_string(first + 1) + ")";
}

std::string leaveOutRecordsWithoutBases(SequenceFile& file) {
  SequenceFile kept;
  std::size_t dropped = 0;
  std::string example;
  for (std::size_t i = 0; i < file.records.size(); ++i) {
    if (holdsBase(file.records[i])) {
      kept.records.push_back(std::move(file.records[i]));
      kept.trimmedOff.push_back(file.trimmedOff[i]);
      kept.givenLength.push_back(file.givenLength[i]);
    } else if (dropped++ == 0) {
      example = recordText(i, file.records[i].name);
    }
  }
  file = std::move(kept);
  if (dropped == 0) return "";
  return countText(dropped, "record holds", "records hold") + " no A, C, G or T (first: " + example + ") and " +
         (dropped == 1 ? "is" : "are") + " left out: not searched, not tested, not in any total";
}

}  // namespace

std::size_t longestName() { return static_cast<std::size_t>(LEN_STR - 1); }

std::vector<std::string> checkRecords(SequenceFile& file, const std::string& path) {
  std::vector<std::string> warnings;
  for (const std::string& finding :
       {duplicateNames(file.records), cutNames(file.records), leaveOutRecordsWithoutBases(file)})
    if (!finding.empty()) warnings.push_back("Warning: " + path + ": " + finding + ".");
  return warnings;
}

void requireSeveralSequences(const std::vector<FastaRecord>& records, int shortestLength, const std::string& path) {
  std::size_t usable = 0;
  for (const FastaRecord& r : records)
    if (holdsRun(r, shortestLength)) ++usable;
  if (usable >= 2) return;
  throw FatalError("Error: " + path + " holds " + countText(usable, "sequence", "sequences") + " with " +
                   std::to_string(shortestLength) +
                   " or more letters of A, C, G and T in a row (the shortest motif searched). Motif discovery "
                   "needs several sequences that share a motif, such as peaks or promoters of co-regulated "
                   "genes. For a single sequence, zelkova-enrich tests the motifs of a report on it and "
                   "zelkova-compare names a motif after known ones.\n");
}

}  // namespace discover
