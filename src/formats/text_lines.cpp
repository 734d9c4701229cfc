#include "formats/text_lines.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <sstream>
#include <utility>

#include "formats/command_files.h"

namespace formats {

std::ifstream openFile(const std::string& path) {
  // A directory opens for reading here and reads as an empty file.
  struct stat st {};
  if (::stat(formats::openablePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    throw ReadError(formats::inputName(path), 0, "cannot open the file: it is a directory");
  std::ifstream in(formats::openablePath(path), std::ios::binary);
  if (!in) throw ReadError(formats::inputName(path), 0, std::string("cannot open the file: ") + std::strerror(errno));
  return in;
}

Lines::Lines(std::istream& in, std::string source) : source_(std::move(source)) {
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(std::move(line));
  }
}

const std::string& Lines::take(const std::string& expected) {
  if (atEnd()) {
    const int last = lines_.empty() ? 1 : static_cast<int>(lines_.size());
    throw ReadError(source_, last, "the file ends here; expected " + expected + " next");
  }
  return lines_[next_++];
}

void Lines::skipBlank() {
  while (!atEnd() && isBlank(peek())) ++next_;
}

void LineContext::fail(const std::string& problem) const { throw ReadError(source_, number_, problem); }

long long LineContext::integer(const std::string& text, const std::string& what) const {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE)
    fail(what + " " + quoted(text) + " is not a whole number");
  return value;
}

int LineContext::smallInteger(const std::string& text, const std::string& what) const {
  const long long value = integer(text, what);
  if (value < INT_MIN || value > INT_MAX) fail(what + " " + quoted(text) + " is out of range");
  return static_cast<int>(value);
}

double LineContext::real(const std::string& text, const std::string& what) const {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size()) fail(what + " " + quoted(text) + " is not a number");
  return value;
}

void Lines::fail(const std::string& problem) const { LineContext(source_, number()).fail(problem); }

long long Lines::integer(const std::string& text, const std::string& what) const {
  return LineContext(source_, number()).integer(text, what);
}

int Lines::smallInteger(const std::string& text, const std::string& what) const {
  return LineContext(source_, number()).smallInteger(text, what);
}

double Lines::real(const std::string& text, const std::string& what) const {
  return LineContext(source_, number()).real(text, what);
}

std::string quoted(const std::string& text) { return "\"" + printable(text) + "\""; }

std::string printable(const std::string& text, std::size_t longest) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (shown.size() >= longest) return shown + "...";
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c >= 0x20 && c < 0x7f) || c == '\t') {
      shown += static_cast<char>(c);
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
    shown += escaped;
  }
  return shown;
}

std::string percentEncoded(const std::string& text, const std::string& kept) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || kept.find(static_cast<char>(c)) != std::string::npos) {
      out += static_cast<char>(c);
    } else {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", c);
      out += code;
    }
  }
  return out;
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> result;
  for (std::string word; in >> word;) result.push_back(word);
  return result;
}

std::vector<std::string> tabFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

bool isBlank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace formats
