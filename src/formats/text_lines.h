// Reading line-oriented text files with messages that name the file and the
// line: every reader of a report or a motif file goes through these, so that
// an error always reads "SOURCE:LINE: problem".
#pragma once

#include <fstream>
#include <iosfwd>
#include <string>
#include <vector>

#include "base/errors.h"

namespace formats {

// `path` opened for reading ("-": standard input, command_files.h); one that
// cannot be opened, or is a directory, is a ReadError of line 0,
// "PATH: cannot open the file: REASON".
std::ifstream openFile(const std::string& path);

// One line of a file read elsewhere (a file read a line at a time, so that it
// is never held whole): its failures and the numbers read from it, as Lines
// gives them for the line taken last. `source` must outlive it.
class LineContext {
 public:
  LineContext(const std::string& source, int number) : source_(source), number_(number) {}

  [[noreturn]] void fail(const std::string& problem) const;
  long long integer(const std::string& text, const std::string& what) const;
  int smallInteger(const std::string& text, const std::string& what) const;
  // Any number strtod reads, "inf" and "nan" included.
  double real(const std::string& text, const std::string& what) const;

 private:
  const std::string& source_;
  int number_;
};

// The lines of a file with a cursor; every failure names the line taken last.
// Windows line ends are taken off.
class Lines {
 public:
  Lines(std::istream& in, std::string source);

  bool atEnd() const { return next_ >= lines_.size(); }
  const std::string& peek() const { return lines_[next_]; }
  const std::string& source() const { return source_; }
  // 1-based number of the line taken last (0 before the first).
  int number() const { return static_cast<int>(next_); }

  // The next line; `expected` says what was due when the file ends instead.
  const std::string& take(const std::string& expected);
  // Moves past empty and blank lines.
  void skipBlank();

  // A problem with the line taken last.
  [[noreturn]] void fail(const std::string& problem) const;

  // Numbers read from the line taken last; `what` names the field in messages.
  long long integer(const std::string& text, const std::string& what) const;
  int smallInteger(const std::string& text, const std::string& what) const;
  // Any number strtod reads, "inf" and "nan" included.
  double real(const std::string& text, const std::string& what) const;

 private:
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
  std::string source_;
};

// `text` in double quotes, as printable() shows it: a line of a damaged file
// may be anything, even a whole binary file.
std::string quoted(const std::string& text);

// `text` safe to print in a message: every byte outside printable ASCII (but
// the tab) shown escaped ("\x00", "\x1b"), and cut with "..." once `longest`
// characters are shown, so that no message carries raw binary or a line of a
// megabyte.
std::string printable(const std::string& text, std::size_t longest = 80);

// The words of `text` separated by blanks and tabs.
std::vector<std::string> words(const std::string& text);

// The fields of a line of a tab-separated table: every tab separates two
// fields, so "a\t\tb" has an empty middle field and an empty line one field.
std::vector<std::string> tabFields(const std::string& line);

// True when `text` holds nothing but blanks and tabs.
bool isBlank(const std::string& text);

// `text` with every byte other than a letter, a digit or one of `kept`
// written as %XX (upper-case hexadecimal), as URLs and GFF3 columns write
// the characters they reserve.
std::string percentEncoded(const std::string& text, const std::string& kept);

// True when `text` starts with `prefix`.
bool startsWith(const std::string& text, const std::string& prefix);

}  // namespace formats
