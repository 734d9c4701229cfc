#include "stats/known_table.h"

#include <cmath>
#include <cstdlib>
#include <istream>
#include <sstream>

#include "base/errors.h"
#include "formats/motif_export.h"
#include "formats/text_lines.h"
#include "stats/enrichment_table.h"

namespace known_table {

const char* const kHeader =
    "rank\tid\tname\tconsensus\tthreshold\tprimary_hits\tprimary_total\tcontrol_hits\tcontrol_total\tlog10_p\t"
    "log10_E\tq\tsame_sites_as";
const char* const kCentralHeader =
    "rank\tid\tname\tconsensus\tthreshold\tprimary_hits\tprimary_total\tcontrol_hits\tcontrol_total\tlog10_p\t"
    "log10_E\tq\tsame_sites_as\tcentral_log10_p\tcentral_width";

namespace {

constexpr std::size_t kColumns = 13;
constexpr std::size_t kCentralColumns = 2;
const char* const kNone = "NA";

// The line of a row without its line end, and without the central columns.
std::string lineOf(const Row& row) {
  std::ostringstream out;
  out << row.rank << '\t' << row.id << '\t' << row.name << '\t' << row.consensus << '\t' << row.threshold << '\t'
      << row.primaryHits << '\t' << row.primaryTotal << '\t' << row.controlHits << '\t' << row.controlTotal << '\t'
      << row.log10P << '\t' << row.log10E << '\t' << row.q << '\t' << row.sameSitesAs;
  return out.str();
}

// Whether `line` is `header`, perhaps with a Windows line end.
bool isLine(const std::string& line, const std::string& header) {
  return line == header ||
         (line.size() == header.size() + 1 && line.back() == '\r' && textio::startsWith(line, header));
}

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
  std::string text = std::string(kHeader) + '\n';
  for (const known::KnownResult& r : results) text += lineOf(rowOf(r)) + '\n';
  return text;
}

std::string table(const std::vector<known::KnownResult>& results, const std::vector<CentralColumns>& central) {
  ZK_ASSERT(central.size() == results.size());
  std::string text = std::string(kCentralHeader) + '\n';
  for (std::size_t i = 0; i < results.size(); ++i)
    text += lineOf(rowOf(results[i])) + '\t' + central[i].log10P + '\t' + central[i].width + '\n';
  return text;
}

bool isHeader(const std::string& firstLine) { return isLine(firstLine, kHeader) || isLine(firstLine, kCentralHeader); }

namespace {

long long count(const textio::Lines& lines, const std::string& text, const char* column) {
  const long long value = lines.integer(text, column);
  if (value < 0 || text[0] == '+') lines.fail(std::string(column) + " " + textio::quoted(text) + " is not a count");
  return value;
}

void requireNumber(const textio::Lines& lines, const std::string& text, const char* column) {
  if (!std::isfinite(lines.real(text, column))) lines.fail(std::string(column) + " " + textio::quoted(text) + " is not finite");
}

// central_log10_p and central_width: NA in both, or a log10 p-value and a
// width of 1 or more.
CentralColumns parseCentral(const textio::Lines& lines, const std::string& log10P, const std::string& width) {
  if (log10P == kNone && width == kNone) return {log10P, width};
  if (log10P == kNone || width == kNone) lines.fail("central_log10_p and central_width are NA together or neither");
  const double value = lines.real(log10P, "central_log10_p");
  if (!std::isfinite(value) || value > 0)
    lines.fail("central_log10_p " + textio::quoted(log10P) + " is not the log10 of a p-value");
  if (count(lines, width, "central_width") < 1)
    lines.fail("central_width " + textio::quoted(width) + " is not 1 or more");
  return {log10P, width};
}

Row parseRow(const textio::Lines& lines, const std::string& line, bool central) {
  const std::vector<std::string> f = textio::tabFields(line);
  const std::size_t expected = kColumns + (central ? kCentralColumns : 0);
  if (f.size() != expected) lines.fail(std::to_string(f.size()) + " fields, expected " + std::to_string(expected));
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
  if (central) row.central = parseCentral(lines, f[13], f[14]);
  row.line = lines.number();
  return row;
}

}  // namespace

std::vector<Row> read(std::istream& in, const std::string& source) {
  textio::Lines lines(in, source);
  const std::string header = lines.take("the header line");
  if (header != kHeader && header != kCentralHeader) lines.fail("not a known-motif table (the header line differs)");
  const bool central = header == kCentralHeader;
  std::vector<Row> rows;
  while (!lines.atEnd()) {
    rows.push_back(parseRow(lines, lines.take(""), central));
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
