#include "engine/markov_model.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

constexpr std::size_t kMaxLineLength = 4096;

[[noreturn]] void refuse(const std::string& fileName, int line, const std::string& what) {
  std::ostringstream msg;
  msg << "Error: model file " << fileName << ", line " << line << ": " << what << "\n";
  throw FatalError(msg.str());
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    std::size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

bool isInteger(const std::string& s) {
  std::size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

bool parseReal(const std::string& s, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(s.c_str(), &end);
  return end != s.c_str() && *end == '\0';
}

bool isModelWord(const std::string& w) {
  if (w.empty() || w.size() > static_cast<std::size_t>(MAX_MARKOV)) return false;
  for (char c : w)
    if (c != 'A' && c != 'C' && c != 'G' && c != 'T') return false;
  return true;
}

// Reads one line into `line`; false at the end of the file.
bool readLine(std::FILE* file, std::string& line, const std::string& fileName, int lineNo) {
  line.clear();
  int c;
  while ((c = getc_unlocked(file)) != EOF && c != '\n') {
    if (line.size() >= kMaxLineLength) refuse(fileName, lineNo, "line is too long.");
    line.push_back(c == '\0' ? '\x01' : static_cast<char>(c));  // a NUL never passes a field check
  }
  return !(c == EOF && line.empty());
}

constexpr std::size_t kFieldsPerEntry = 5;

[[noreturn]] void refuseFieldCount(const std::string& fileName, int line) {
  refuse(fileName, line, "expected five fields (index word probability count frequency).");
}

void storeEntry(MarkovModel& model, const std::vector<std::string>& f, const std::string& fileName, int lineNo) {
  if (f.size() != kFieldsPerEntry) refuseFieldCount(fileName, lineNo);
  const std::string& word = f[1];
  if (!isModelWord(word)) refuse(fileName, lineNo, "word \"" + word + "\" is not 1 to 8 letters of A, C, G, T.");
  const long long expected = static_cast<long long>(base::numberOf(word.data(), static_cast<int>(word.size())));
  if (!isInteger(f[0]) || f[0].size() > 18 || std::atoll(f[0].c_str()) != expected)
    refuse(fileName, lineNo,
           "index " + f[0] + " is not the index " + std::to_string(expected) + " of word " + word + ".");
  double prob = 0.0;
  if (!parseReal(f[2], prob)) refuse(fileName, lineNo, "probability \"" + f[2] + "\" is not a number.");
  // Range first in double: narrowing a value beyond the float range is undefined.
  const bool inFloatRange = std::isfinite(prob) && std::fabs(prob) <= FLT_MAX;
  const float stored = inFloatRange ? static_cast<float>(prob) : 0.0f;
  if (!inFloatRange || !(stored > 0.0f) || stored > 1.0f)
    refuse(fileName, lineNo, "probability " + f[2] + " is not in (0, 1].");
  if (!isInteger(f[3])) refuse(fileName, lineNo, "count \"" + f[3] + "\" is not an integer.");
  double unused = 0.0;
  if (!parseReal(f[4], unused)) refuse(fileName, lineNo, "frequency \"" + f[4] + "\" is not a number.");

  const int n = static_cast<int>(word.size());
  model.tables[n][static_cast<std::size_t>(expected)] = stored;
  model.given[n][static_cast<std::size_t>(expected)] = true;
  model.lastWordLength = n;
}

}  // namespace

MarkovModel readMarkovModel(std::FILE* file, const std::string& fileName) {
  MarkovModel model;
  for (int n = 1; n <= MAX_MARKOV; ++n) {
    model.tables[n].assign(std::size_t{1} << (2 * n), 0.0f);
    model.given[n].assign(std::size_t{1} << (2 * n), false);
  }
  // Fields are separated by any white space. An entry normally stands on a line
  // of its own; one spread over several lines is taken as long as it ends with
  // a line, so a line with too few fields is never completed from the next one.
  std::vector<std::string> entry;
  int entryLine = 0;
  std::string line;
  for (int lineNo = 1; readLine(file, line, fileName, lineNo); ++lineNo) {
    const std::vector<std::string> fields = splitFields(line);
    for (std::size_t k = 0; k < fields.size(); ++k) {
      if (entry.empty()) entryLine = lineNo;
      entry.push_back(fields[k]);
      if (entry.size() < kFieldsPerEntry) continue;
      if (entryLine != lineNo && k + 1 != fields.size()) refuseFieldCount(fileName, entryLine);
      storeEntry(model, entry, fileName, entryLine);
      entry.clear();
    }
  }
  if (!entry.empty()) refuseFieldCount(fileName, entryLine);
  if (model.lastWordLength == 0) throw FatalError("Error: model file " + fileName + " holds no entries.\n");
  return model;
}

void requireAllWords(const MarkovModel& model, int maxLength, const std::string& fileName) {
  for (int n = 1; n <= maxLength; ++n) {
    const std::vector<bool>& given = model.given[n];
    for (std::size_t idx = 0; idx < given.size(); ++idx) {
      if (given[idx]) continue;
      const std::string word = base::wordOf(idx, n);
      throw FatalError("Error: model file " + fileName + " lacks the word " + word + " (every word of 1 to " +
                       std::to_string(maxLength) + " letters is needed).\n");
    }
  }
}
