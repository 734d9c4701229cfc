#include "formats/tsv_table.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace tsv {

namespace {

bool allDigits(const std::string& text, std::size_t from) {
  if (text.size() <= from) return false;
  for (std::size_t i = from; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

int asInt(const textio::LineContext& at, long long value, const std::string& text, const std::string& what) {
  if (value < INT_MIN || value > INT_MAX) at.fail(what + " " + textio::quoted(text) + " is out of range");
  return static_cast<int>(value);
}

}  // namespace

long long count(const textio::LineContext& at, const std::string& text, const std::string& what) {
  if (!allDigits(text, 0)) at.fail(what + " " + textio::quoted(text) + " is not a count");
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE) at.fail(what + " " + textio::quoted(text) + " is out of range");
  return value;
}

long long whole(const textio::LineContext& at, const std::string& text, const std::string& what) {
  if (!allDigits(text, text.size() > 1 && text[0] == '-' ? 1 : 0))
    at.fail(what + " " + textio::quoted(text) + " is not a whole number");
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE) at.fail(what + " " + textio::quoted(text) + " is out of range");
  return value;
}

double number(const textio::LineContext& at, const std::string& text, const std::string& what, NonFinite nonFinite) {
  // strtod itself skips leading blanks and takes a "+".
  if (text.empty() || isBlank(text[0]) || text[0] == '+')
    at.fail(what + " " + textio::quoted(text) + " is not a number");
  const double value = at.real(text, what);
  if (nonFinite == NonFinite::Refused && !std::isfinite(value))
    at.fail(what + " " + textio::quoted(text) + " is not finite");
  return value;
}

const std::string& identifier(const textio::LineContext& at, const std::string& text, const std::string& what) {
  if (text.empty()) at.fail(what + " is empty");
  if (isBlank(text.front()) || isBlank(text.back()))
    at.fail(what + " " + textio::quoted(text) + " starts or ends with a blank");
  return text;
}

void Row::fail(const std::string& problem) const { at().fail(problem); }

long long Row::count(const Column& column) const { return tsv::count(at(), text(column), column.name); }

int Row::smallCount(const Column& column) const { return asInt(at(), count(column), text(column), column.name); }

int Row::smallWhole(const Column& column) const {
  return asInt(at(), tsv::whole(at(), text(column), column.name), text(column), column.name);
}

double Row::number(const Column& column, NonFinite nonFinite) const {
  return tsv::number(at(), text(column), column.name, nonFinite);
}

const std::string& Row::identifier(const Column& column) const {
  return tsv::identifier(at(), text(column), column.name);
}

Table::Table(std::istream& in, std::string source, std::string table, std::string line)
    : lines_(in, std::move(source)), table_(std::move(table)), line_(std::move(line)) {
  names_ = textio::tabFields(lines_.take("the header line"));
  for (std::size_t i = 0; i < names_.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (names_[i] == names_[j])
        lines_.fail("the header line names the column " + textio::quoted(names_[i]) + " twice");
}

std::optional<Column> Table::optionalColumn(const std::string& name) const {
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == name) return Column{i, name};
  return std::nullopt;
}

Column Table::column(const std::string& name) const {
  const std::optional<Column> found = optionalColumn(name);
  if (!found) throw ReadError(source(), 1, "not " + table_ + ": the header line has no column " + textio::quoted(name));
  return *found;
}

bool Table::next(Row& row) {
  while (!lines_.atEnd()) {
    const std::string& line = lines_.take("");
    if (line.empty()) continue;
    row.fields_ = textio::tabFields(line);
    row.source_ = &lines_.source();
    row.line_ = lines_.number();
    if (row.fields_.size() != names_.size())
      row.fail(line_ + " needs " + std::to_string(names_.size()) + " tab-separated fields, found " +
               std::to_string(row.fields_.size()));
    return true;
  }
  return false;
}

}  // namespace tsv
