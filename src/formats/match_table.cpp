#include "formats/match_table.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

#include "formats/command_files.h"
#include "formats/numbers.h"

namespace match_table {

const char* const kHeader =
    "query\tquery_consensus\ttarget_id\ttarget_name\torientation\toffset\toverlap\tp\tE\tq\ttarget_consensus";

namespace {

constexpr std::size_t kFields = 11;

std::string field(const std::string& text) {
  std::string clean = text;
  for (char& c : clean)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return clean;
}

double probabilityIn(const textio::Lines& lines, const std::string& text, const std::string& what) {
  const double value = lines.real(text, what);
  if (!(value >= 0)) lines.fail(what + " " + textio::quoted(text) + " is not a number of 0 or more");
  return value;
}

Row parseRow(const textio::Lines& lines, const std::string& line) {
  const std::vector<std::string> f = textio::tabFields(line);
  if (f.size() != kFields)
    lines.fail("a match line needs " + std::to_string(kFields) + " tab-separated fields, found " +
               std::to_string(f.size()));
  Row row;
  row.query = f[0];
  row.queryConsensus = f[1];
  row.targetId = f[2];
  row.targetName = f[3];
  if (row.query.empty() || row.targetId.empty()) lines.fail("a match line needs a query and a target");
  if (f[4] != "+" && f[4] != "-") lines.fail("the orientation " + textio::quoted(f[4]) + " is neither + nor -");
  row.reverse = f[4] == "-";
  row.offset = lines.smallInteger(f[5], "offset");
  row.overlap = lines.smallInteger(f[6], "overlap");
  if (row.overlap < 1) lines.fail("the overlap " + textio::quoted(f[6]) + " is not 1 or more");
  row.p = probabilityIn(lines, f[7], "p-value");
  row.e = probabilityIn(lines, f[8], "E-value");
  row.q = probabilityIn(lines, f[9], "q-value");
  row.targetConsensus = f[10];
  row.line = lines.number();
  return row;
}

}  // namespace

std::string formatValue(double value) {
  return numbers::significant(value, 3);
}

void write(std::ostream& out, const std::vector<Row>& rows) {
  out << kHeader << "\n";
  for (const Row& r : rows)
    out << field(r.query) << '\t' << field(r.queryConsensus) << '\t' << field(r.targetId) << '\t'
        << field(r.targetName) << '\t' << (r.reverse ? '-' : '+') << '\t' << r.offset << '\t' << r.overlap << '\t'
        << formatValue(r.p) << '\t' << formatValue(r.e) << '\t' << formatValue(r.q) << '\t'
        << field(r.targetConsensus) << "\n";
}

std::vector<Row> read(std::istream& in, const std::string& source) {
  textio::Lines lines(in, source);
  if (lines.take("the header line") != kHeader)
    lines.fail("expected the header line of a zelkova-compare table: " + textio::quoted(kHeader));
  std::vector<Row> rows;
  while (!lines.atEnd()) {
    const std::string& line = lines.take("");
    if (!line.empty()) rows.push_back(parseRow(lines, line));
  }
  return rows;
}

std::vector<Row> readFile(const std::string& path) {
  std::ifstream in = textio::openFile(path);
  return read(in, command_files::inputName(path));
}

}  // namespace match_table
