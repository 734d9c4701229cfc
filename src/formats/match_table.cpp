#include "formats/match_table.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

#include "formats/command_files.h"
#include "formats/numbers.h"
#include "formats/tsv_table.h"

namespace formats {

const char* const kMatchHeader =
    "query\tquery_consensus\ttarget_id\ttarget_name\torientation\toffset\toverlap\tp\tE\tq\ttarget_consensus";

namespace {

std::string field(const std::string& text) {
  std::string clean = text;
  for (char& c : clean)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return clean;
}

// The columns of a match table, found in its header.
struct Columns {
  TsvColumn query, queryConsensus, targetId, targetName, orientation, offset, overlap, p, e, q, targetConsensus;
};

Columns columnsOf(const formats::TsvTable& t) {
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

double probabilityIn(const formats::TsvRow& f, const TsvColumn& column, const std::string& what) {
  const std::string& text = f.text(column);
  const double value = formats::numberField(f.at(), text, what, formats::NonFinite::Allowed);
  if (!(value >= 0)) f.fail(what + " " + formats::quoted(text) + " is not a number of 0 or more");
  return value;
}

MatchRow parseRow(const formats::TsvRow& f, const Columns& c) {
  MatchRow row;
  row.query = f.identifier(c.query);
  row.queryConsensus = f.text(c.queryConsensus);
  row.targetId = f.identifier(c.targetId);
  row.targetName = f.text(c.targetName);
  const std::string& orientation = f.text(c.orientation);
  if (orientation != "+" && orientation != "-")
    f.fail("the orientation " + formats::quoted(orientation) + " is neither + nor -");
  row.reverse = orientation == "-";
  row.offset = f.smallWhole(c.offset);
  row.overlap = f.smallCount(c.overlap);
  if (row.overlap < 1) f.fail("the overlap " + formats::quoted(f.text(c.overlap)) + " is not 1 or more");
  row.p = probabilityIn(f, c.p, "p-value");
  row.e = probabilityIn(f, c.e, "E-value");
  row.q = probabilityIn(f, c.q, "q-value");
  row.targetConsensus = f.text(c.targetConsensus);
  row.line = f.line();
  return row;
}

}  // namespace

std::string formatMatchValue(double value) { return formats::significant(value, 3); }

void writeMatchTable(std::ostream& out, const std::vector<MatchRow>& rows) {
  out << kMatchHeader << "\n";
  for (const MatchRow& r : rows)
    out << field(r.query) << '\t' << field(r.queryConsensus) << '\t' << field(r.targetId) << '\t' << field(r.targetName)
        << '\t' << (r.reverse ? '-' : '+') << '\t' << r.offset << '\t' << r.overlap << '\t' << formatMatchValue(r.p)
        << '\t' << formatMatchValue(r.e) << '\t' << formatMatchValue(r.q) << '\t' << field(r.targetConsensus) << "\n";
}

std::vector<MatchRow> readMatchTable(std::istream& in, const std::string& source) {
  formats::TsvTable table(in, source, "a zelkova-compare table", "a match line");
  const Columns columns = columnsOf(table);
  std::vector<MatchRow> rows;
  for (formats::TsvRow fields; table.next(fields);) rows.push_back(parseRow(fields, columns));
  return rows;
}

std::vector<MatchRow> readMatchTableFile(const std::string& path) {
  std::ifstream in = formats::openFile(path);
  return readMatchTable(in, formats::inputName(path));
}

}  // namespace formats
