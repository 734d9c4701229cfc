#include "formats/tsv_table.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace formats {

namespace {

bool allDigits(const std::string& text, std::size_t from) {
  if (text.size() <= from) return false;
  for (std::size_t i = from; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

bool isSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

int asInt(const formats::LineContext& at, long long value, const std::string& text, const std::string& what) {
  if (value < INT_MIN || value > INT_MAX) at.fail(what + " " + formats::quoted(text) + " is out of range");
  return static_cast<int>(value);
}

}  // namespace

long long countField(const formats::LineContext& at, const std::string& text, const std::string& what) {
  if (!allDigits(text, 0)) at.fail(what + " " + formats::quoted(text) + " is not a count");
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE) at.fail(what + " " + formats::quoted(text) + " is out of range");
  return value;
}

long long wholeField(const formats::LineContext& at, const std::string& text, const std::string& what) {
  if (!allDigits(text, text.size() > 1 && text[0] == '-' ? 1 : 0))
    at.fail(what + " " + formats::quoted(text) + " is not a whole number");
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE) at.fail(what + " " + formats::quoted(text) + " is out of range");
  return value;
}

double numberField(const formats::LineContext& at, const std::string& text, const std::string& what,
                   NonFinite nonFinite) {
  // strtod itself skips leading blanks and takes a "+".
  if (text.empty() || isSpaceOrTab(text[0]) || text[0] == '+')
    at.fail(what + " " + formats::quoted(text) + " is not a number");
  const double value = at.real(text, what);
  if (nonFinite == NonFinite::Refused && !std::isfinite(value))
    at.fail(what + " " + formats::quoted(text) + " is not finite");
  return value;
}

const std::string& identifierField(const formats::LineContext& at, const std::string& text, const std::string& what) {
  if (text.empty()) at.fail(what + " is empty");
  if (isSpaceOrTab(text.front()) || isSpaceOrTab(text.back()))
    at.fail(what + " " + formats::quoted(text) + " starts or ends with a blank");
  return text;
}

void TsvRow::fail(const std::string& problem) const { at().fail(problem); }

long long TsvRow::count(const TsvColumn& column) const { return formats::countField(at(), text(column), column.name); }

int TsvRow::smallCount(const TsvColumn& column) const { return asInt(at(), count(column), text(column), column.name); }

int TsvRow::smallWhole(const TsvColumn& column) const {
  return asInt(at(), formats::wholeField(at(), text(column), column.name), text(column), column.name);
}

double TsvRow::number(const TsvColumn& column, NonFinite nonFinite) const {
  return formats::numberField(at(), text(column), column.name, nonFinite);
}

const std::string& TsvRow::identifier(const TsvColumn& column) const {
  return formats::identifierField(at(), text(column), column.name);
}

TsvTable::TsvTable(std::istream& in, std::string source, std::string table, std::string line)
    : lines_(in, std::move(source)), table_(std::move(table)), line_(std::move(line)) {
  names_ = formats::tabFields(lines_.take("the header line"));
  for (std::size_t i = 0; i < names_.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (names_[i] == names_[j])
        lines_.fail("the header line names the column " + formats::quoted(names_[i]) + " twice");
}

std::optional<TsvColumn> TsvTable::optionalColumn(const std::string& name) const {
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == name) return TsvColumn{i, name};
  return std::nullopt;
}

TsvColumn TsvTable::column(const std::string& name) const {
  const std::optional<TsvColumn> found = optionalColumn(name);
  if (!found)
    throw ReadError(source(), 1, "not " + table_ + ": the header line has no column " + formats::quoted(name));
  return *found;
}

bool TsvTable::next(TsvRow& row) {
  while (!lines_.atEnd()) {
    const std::string& line = lines_.take("");
    if (line.empty()) continue;
    row.fields_ = formats::tabFields(line);
    row.source_ = &lines_.source();
    row.line_ = lines_.number();
    if (row.fields_.size() != names_.size())
      row.fail(line_ + " needs " + std::to_string(names_.size()) + " tab-separated fields, found " +
               std::to_string(row.fields_.size()));
    return true;
  }
  return false;
}

}  // namespace formats
