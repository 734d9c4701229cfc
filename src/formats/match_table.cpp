#include "formats/match_table.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

#include "formats/command_files.h"
#include "formats/numbers.h"
#include "formats/tsv_table.h"

namespace match_table {

const char* const kHeader =
    "query\tquery_consensus\ttarget_id\ttarget_name\torientation\toffset\toverlap\tp\tE\tq\ttarget_consensus";

namespace {

std::string field(const std::string& text) {
  std::string clean = text;
  for (char& c : clean)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return clean;
}

using tsv::Column;

// The columns of a match table, found in its header.
struct Columns {
  Column query, queryConsensus, targetId, targetName, orientation, offset, overlap, p, e, q, targetConsensus;
};

Columns columnsOf(const tsv::Table& t) {
  return {t.column("query"),
          t.column("query_consensus"),
          t.column("target_id"),
          t.column("target_name"),
          t.column("orientation"),
          t.column("offset"),
          t.column("overlap"),
          t.column("p"),
          t.column("E"),
          t.column("q"),
          t.column("target_consensus")};
}

double probabilityIn(const tsv::Row& f, const Column& column, const std::string& what) {
  const std::string& text = f.text(column);
  const double value = tsv::number(f.at(), text, what, tsv::NonFinite::Allowed);
  if (!(value >= 0)) f.fail(what + " " + textio::quoted(text) + " is not a number of 0 or more");
  return value;
}

Row parseRow(const tsv::Row& f, const Columns& c) {
  Row row;
  row.query = f.identifier(c.query);
  row.queryConsensus = f.text(c.queryConsensus);
  row.targetId = f.identifier(c.targetId);
  row.targetName = f.text(c.targetName);
  const std::string& orientation = f.text(c.orientation);
  if (orientation != "+" && orientation != "-")
    f.fail("the orientation " + textio::quoted(orientation) + " is neither + nor -");
  row.reverse = orientation == "-";
  row.offset = f.smallWhole(c.offset);
  row.overlap = f.smallCount(c.overlap);
  if (row.overlap < 1) f.fail("the overlap " + textio::quoted(f.text(c.overlap)) + " is not 1 or more");
  row.p = probabilityIn(f, c.p, "p-value");
  row.e = probabilityIn(f, c.e, "E-value");
  row.q = probabilityIn(f, c.q, "q-value");
  row.targetConsensus = f.text(c.targetConsensus);
  row.line = f.line();
  return row;
}

}  // namespace

std::string formatValue(double value) { return numbers::significant(value, 3); }

void write(std::ostream& out, const std::vector<Row>& rows) {
  out << kHeader << "\n";
  for (const Row& r : rows)
    out << field(r.query) << '\t' << field(r.queryConsensus) << '\t' << field(r.targetId) << '\t' << field(r.targetName)
        << '\t' << (r.reverse ? '-' : '+') << '\t' << r.offset << '\t' << r.overlap << '\t' << formatValue(r.p) << '\t'
        << formatValue(r.e) << '\t' << formatValue(r.q) << '\t' << field(r.targetConsensus) << "\n";
}

std::vector<Row> read(std::istream& in, const std::string& source) {
  tsv::Table table(in, source, "a zelkova-compare table", "a match line");
  const Columns columns = columnsOf(table);
  std::vector<Row> rows;
  for (tsv::Row fields; table.next(fields);) rows.push_back(parseRow(fields, columns));
  return rows;
}

std::vector<Row> readFile(const std::string& path) {
  std::ifstream in = textio::openFile(path);
  return read(in, command_files::inputName(path));
}

}  // namespace match_table
