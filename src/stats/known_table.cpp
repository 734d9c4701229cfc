#include "stats/known_table.h"

#include <cmath>
#include <cstdlib>
#include <istream>
#include <sstream>

#include "formats/motif_export.h"
#include "formats/text_lines.h"
#include "stats/enrichment_table.h"

namespace known_table {

const char* const kHeader =
    "rank\tid\tname\tconsensus\tthreshold\tprimary_hits\tprimary_total\tcontrol_hits\tcontrol_total\tlog10_p\t"
    "log10_E\tq\tsame_sites_as";

namespace {

constexpr std::size_t kColumns = 13;
const char* const kNone = "NA";

}  // namespace

Row rowOf(const known::KnownResult& r) {
  const enrichment_stats::Table& t = r.test.choice.table;
  Row row;
  row.rank = r.rank;
  row.id = enrichment_table::withoutTabs(r.test.motif.id);
  row.name = enrichment_table::withoutTabs(r.name);
  row.consensus = r.test.motif.consensus;
  row.threshold = enrichment_table::thresholdText(r.test.choice.threshold);
  row.primaryHits = t.primaryHits;
  row.primaryTotal = t.primaryTotal;
  row.controlHits = t.controlHits;
  row.controlTotal = t.controlTotal;
  row.log10P = enrichment_table::log10Text(r.test.log10PAdjusted);
  row.log10E = enrichment_table::log10Text(r.test.log10E);
  row.q = export_formats::scientificFromLog10(r.log10Q);
  row.sameSitesAs = r.sameSitesAs.empty() ? kNone : r.sameSitesAs;
  return row;
}

std::string table(const std::vector<known::KnownResult>& results) {
  std::ostringstream out;
  out << kHeader << '\n';
  for (const known::KnownResult& r : results) {
    const Row row = rowOf(r);
    out << row.rank << '\t' << row.id << '\t' << row.name << '\t' << row.consensus << '\t' << row.threshold << '\t'
        << row.primaryHits << '\t' << row.primaryTotal << '\t' << row.controlHits << '\t' << row.controlTotal << '\t'
        << row.log10P << '\t' << row.log10E << '\t' << row.q << '\t' << row.sameSitesAs << '\n';
  }
  return out.str();
}

bool isHeader(const std::string& firstLine) {
  return firstLine == kHeader || (firstLine.size() == std::string(kHeader).size() + 1 && firstLine.back() == '\r' &&
                                  textio::startsWith(firstLine, kHeader));
}

namespace {

long long count(const textio::Lines& lines, const std::string& text, const char* column) {
  const long long value = lines.integer(text, column);
  if (value < 0 || text[0] == '+') lines.fail(std::string(column) + " " + textio::quoted(text) + " is not a count");
  return value;
}

void requireNumber(const textio::Lines& lines, const std::string& text, const char* column) {
  if (!std::isfinite(lines.real(text, column))) lines.fail(std::string(column) + " " + textio::quoted(text) + " is not finite");
}

Row parseRow(const textio::Lines& lines, const std::string& line) {
  const std::vector<std::string> f = textio::tabFields(line);
  if (f.size() != kColumns)
    lines.fail(std::to_string(f.size()) + " fields, expected " + std::to_string(kColumns));
  Row row;
  row.rank = static_cast<int>(count(lines, f[0], "rank"));
  row.id = f[1];
  if (row.id.empty()) lines.fail("empty motif id");
  row.name = f[2];
  row.consensus = f[3];
  requireNumber(lines, f[4], "threshold");
  row.threshold = f[4];
  row.primaryHits = count(lines, f[5], "primary_hits");
  row.primaryTotal = count(lines, f[6], "primary_total");
  row.controlHits = count(lines, f[7], "control_hits");
  row.controlTotal = count(lines, f[8], "control_total");
  if (row.primaryHits > row.primaryTotal || row.controlHits > row.controlTotal) lines.fail("more hits than sequences");
  requireNumber(lines, f[9], "log10_p");
  requireNumber(lines, f[10], "log10_E");
  requireNumber(lines, f[11], "q");
  row.log10P = f[9];
  row.log10E = f[10];
  row.q = f[11];
  row.sameSitesAs = f[12];
  row.line = lines.number();
  return row;
}

}  // namespace

std::vector<Row> read(std::istream& in, const std::string& source) {
  textio::Lines lines(in, source);
  if (lines.atEnd() || lines.take("") != kHeader) lines.fail("not a known-motif table (the header line differs)");
  std::vector<Row> rows;
  while (!lines.atEnd()) {
    rows.push_back(parseRow(lines, lines.take("")));
    if (rows.back().rank != static_cast<int>(rows.size()))
      lines.fail("rank " + std::to_string(rows.back().rank) + " where " + std::to_string(rows.size()) + " was due");
  }
  return rows;
}

std::vector<Row> readFile(const std::string& path) {
  std::ifstream in = textio::openFile(path);
  return read(in, path);
}

}  // namespace known_table
