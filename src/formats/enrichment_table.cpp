#include "stats/enrichment_table.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>

#include "formats/command_files.h"
#include "formats/motif_export.h"
#include "formats/text_lines.h"

namespace enrichment_table {

using export_formats::fixedPoint;

const char* const kTableHeader =
    "rank\tid\tconsensus\tthreshold\tprimary_hits\tprimary_total\tcontrol_hits\tcontrol_total\tenrichment\t"
    "log10_p\tlog10_p_adj\tlog10_E";
const char* const kSitesHeader = "motif\tset\tsequence\tposition\tstrand\tword\tscore";

namespace {

constexpr int kColumns = 12;

std::string ratioText(double ratio) {
  if (std::isnan(ratio)) return "NA";
  if (std::isinf(ratio)) return "inf";
  return fixedPoint(ratio, 3);
}

}  // namespace

// Rounded down, so that a threshold printed like a site score is never above
// the printed scores of the sites it admits.
// (A value within 1e-13 of a step counts as on it: 0.7 * 1e4 is 6999.99...)
std::string thresholdText(double threshold) { return fixedPoint(std::floor(threshold * 1e4 + 1e-9) / 1e4, 4); }

std::string log10Text(double value) {
  const std::string text = fixedPoint(value, 3);
  return text == "-0.000" ? "0.000" : text;
}

std::string withoutTabs(std::string text) {
  for (char& c : text)
    if (c == '\t') c = ' ';
  return text;
}

Row rowOf(const enrichment::MotifResult& r) {
  const enrichment_stats::Table& t = r.choice.table;
  Row row;
  row.rank = r.motif.rank;
  row.id = r.motif.id;
  row.consensus = r.motif.consensus;
  row.threshold = thresholdText(r.choice.threshold);
  row.primaryHits = t.primaryHits;
  row.primaryTotal = t.primaryTotal;
  row.controlHits = t.controlHits;
  row.controlTotal = t.controlTotal;
  row.enrichment = ratioText(enrichment::enrichmentRatio(t));
  row.log10P = log10Text(r.choice.log10P);
  row.log10PAdjusted = log10Text(r.log10PAdjusted);
  row.log10E = log10Text(r.log10E);
  return row;
}

void writeTable(std::ostream& out, const std::vector<enrichment::MotifResult>& results) {
  out << kTableHeader << '\n';
  for (const enrichment::MotifResult& r : results) {
    const Row row = rowOf(r);
    out << row.rank << '\t' << row.id << '\t' << row.consensus << '\t' << row.threshold << '\t' << row.primaryHits
        << '\t' << row.primaryTotal << '\t' << row.controlHits << '\t' << row.controlTotal << '\t' << row.enrichment
        << '\t' << row.log10P << '\t' << row.log10PAdjusted << '\t' << row.log10E << '\n';
  }
}

void writeSites(std::ostream& out, const std::vector<enrichment::MotifResult>& results,
                const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control) {
  out << kSitesHeader << '\n';
  for (const enrichment::MotifResult& r : results) {
    for (const enrichment::Site& s : r.sites) {
      const bool isPrimary = s.set == enrichment::SequenceSet::Primary;
      const FastaRecord& record = isPrimary ? primary.at(s.sequence) : control.at(s.sequence);
      out << r.motif.id << '\t' << (isPrimary ? "primary" : "control") << '\t' << withoutTabs(record.name) << '\t'
          << s.position << '\t' << (s.forward ? '+' : '-') << '\t' << s.word << '\t' << fixedPoint(s.score, 4)
          << '\n';
    }
  }
}

ReadError::ReadError(const std::string& source, int line, const std::string& problem)
    : std::runtime_error(line > 0 ? source + ":" + std::to_string(line) + ": " + problem : source + ": " + problem) {}

namespace {

long long count(const std::string& text, const char* column, const std::string& source, int line) {
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < 0 || text[0] == '+' || text[0] == ' ')
    throw ReadError(source, line, std::string(column) + " " + textio::quoted(text) + " is not a count");
  return value;
}

void requireNumber(const std::string& text, const char* column, bool ratio, const std::string& source, int line) {
  if (ratio && (text == "inf" || text == "NA")) return;
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || std::isspace(static_cast<unsigned char>(text[0])))
    throw ReadError(source, line, std::string(column) + " " + textio::quoted(text) + " is not a number");
}

Row parseRow(const std::string& line, const std::string& source, int lineNumber) {
  const std::vector<std::string> f = textio::tabFields(line);
  if (static_cast<int>(f.size()) != kColumns)
    throw ReadError(source, lineNumber,
                    std::to_string(f.size()) + " fields, expected " + std::to_string(kColumns));
  Row row;
  row.rank = static_cast<int>(count(f[0], "rank", source, lineNumber));
  row.id = f[1];
  row.consensus = f[2];
  requireNumber(f[3], "threshold", false, source, lineNumber);
  row.threshold = f[3];
  row.primaryHits = count(f[4], "primary_hits", source, lineNumber);
  row.primaryTotal = count(f[5], "primary_total", source, lineNumber);
  row.controlHits = count(f[6], "control_hits", source, lineNumber);
  row.controlTotal = count(f[7], "control_total", source, lineNumber);
  if (row.primaryHits > row.primaryTotal || row.controlHits > row.controlTotal)
    throw ReadError(source, lineNumber, "more hits than sequences");
  requireNumber(f[8], "enrichment", true, source, lineNumber);
  row.enrichment = f[8];
  requireNumber(f[9], "log10_p", false, source, lineNumber);
  requireNumber(f[10], "log10_p_adj", false, source, lineNumber);
  requireNumber(f[11], "log10_E", false, source, lineNumber);
  row.log10P = f[9];
  row.log10PAdjusted = f[10];
  row.log10E = f[11];
  if (row.id.empty()) throw ReadError(source, lineNumber, "empty motif id");
  return row;
}

}  // namespace

std::vector<Row> read(std::istream& in, const std::string& source) {
  std::string line;
  if (!std::getline(in, line) || line != kTableHeader)
    throw ReadError(source, 1, "not an enrichment table (the header line differs)");
  std::vector<Row> rows;
  for (int number = 2; std::getline(in, line); ++number) rows.push_back(parseRow(line, source, number));
  return rows;
}

std::vector<Row> readFile(const std::string& path) {
  std::ifstream in = textio::openFile(path);
  return read(in, command_files::inputName(path));
}

}  // namespace enrichment_table
