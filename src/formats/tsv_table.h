// Reading the tab-separated tables ZELKOVA writes and reads back (summary.tsv,
// known.tsv, the enrichment and match tables): a header line naming the
// columns, then one line per row. Readers find their columns by the header's
// names, so a table with its columns in another order, or with columns added,
// still reads; a missing column is refused at the header, naming it.
//
// Every field is read by one parser per kind, with one rule for signs and
// blanks: a field is taken as it stands between two tabs, never trimmed, so a
// blank in it is refused wherever the kind allows none.
//   count       digits only: no sign, no blank ("+5", " 5" and "-1" are not
//               counts)
//   whole       a count, or "-" and a count
//   number      a real number as strtod reads it, without a blank or a "+"
//               sign; whether inf and nan are numbers is the caller's choice
//   identifier  not empty, and no blank at either end (blanks inside are
//               kept: motif databases name motifs with them)
// Failures are ReadError "SOURCE:LINE: problem".
//
// Typical use:
//   formats::TsvTable table(in, source, "a zelkova-compare table", "a match line");
//   const formats::TsvColumn query = table.column("query");
//   for (formats::TsvRow row; table.next(row);)
//     rows.push_back({row.identifier(query), row.count(table.column("overlap"))});
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "formats/text_lines.h"

namespace formats {

// Whether a number field may hold "inf", "-inf" and "nan".
enum class NonFinite { Refused, Allowed };

// The field parsers, for a field of the line `at` names; `what` names the
// field in messages.
long long countField(const formats::LineContext& at, const std::string& text, const std::string& what);
long long wholeField(const formats::LineContext& at, const std::string& text, const std::string& what);
double numberField(const formats::LineContext& at, const std::string& text, const std::string& what,
                   NonFinite nonFinite);
const std::string& identifierField(const formats::LineContext& at, const std::string& text, const std::string& what);

// A column of the header: where it is and its name, for messages.
struct TsvColumn {
  std::size_t index = 0;
  std::string name;
};

// One line of the table, its fields as they stand.
class TsvRow {
 public:
  int line() const { return line_; }
  [[noreturn]] void fail(const std::string& problem) const;
  formats::LineContext at() const { return formats::LineContext(*source_, line_); }

  const std::string& text(const TsvColumn& column) const { return fields_[column.index]; }
  long long count(const TsvColumn& column) const;
  // A count that fits an int.
  int smallCount(const TsvColumn& column) const;
  // A whole number that fits an int.
  int smallWhole(const TsvColumn& column) const;
  double number(const TsvColumn& column, NonFinite nonFinite) const;
  const std::string& identifier(const TsvColumn& column) const;

 private:
  friend class TsvTable;
  std::vector<std::string> fields_;
  const std::string* source_ = nullptr;
  int line_ = 0;
};

class TsvTable {
 public:
  // Reads the header line. `table` names the table in messages ("a
  // zelkova-discover summary.tsv"); `line` names one of its rows ("a summary
  // line"). A header that repeats a name is refused.
  TsvTable(std::istream& in, std::string source, std::string table, std::string line);

  const std::string& source() const { return lines_.source(); }

  // The column named `name`; a header without it is refused:
  //   SOURCE:1: not TABLE: the header line has no column "NAME"
  TsvColumn column(const std::string& name) const;
  std::optional<TsvColumn> optionalColumn(const std::string& name) const;

  // The next line that is not empty, in `row`; false at the end. A line
  // without one field per column of the header is refused:
  //   SOURCE:LINE: LINE needs N tab-separated fields, found M
  bool next(TsvRow& row);

 private:
  formats::Lines lines_;
  std::string table_;
  std::string line_;
  std::vector<std::string> names_;
};

}  // namespace formats
