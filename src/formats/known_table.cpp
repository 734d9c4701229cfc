#include "formats/known_table.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "formats/text_lines.h"
#include "formats/tsv_table.h"

namespace formats {

const char* const kKnownHeader =
    "rank\tid\tname\tconsensus\tthreshold\tprimary_hits\tprimary_total\tcontrol_hits\tcontrol_total\tlog10_p\t"
    "log10_E\tq\tsame_sites_as";
const char* const kCentralHeader =
    "rank\tid\tname\tconsensus\tthreshold\tprimary_hits\tprimary_total\tcontrol_hits\tcontrol_total\tlog10_p\t"
    "log10_E\tq\tsame_sites_as\tcentral_log10_p\tcentral_width";

namespace {

const char* const kNone = "NA";

// Whether `line` is `header`, perhaps with a Windows line end.
bool isLine(const std::string& line, const std::string& header) {
  return line == header ||
         (line.size() == header.size() + 1 && line.back() == '\r' && formats::startsWith(line, header));
}

}  // namespace

std::string knownLine(const KnownRow& row) {
  std::ostringstream out;
  out << row.rank << '\t' << row.id << '\t' << row.name << '\t' << row.consensus << '\t' << row.threshold << '\t'
      << row.primaryHits << '\t' << row.primaryTotal << '\t' << row.controlHits << '\t' << row.controlTotal << '\t'
      << row.log10P << '\t' << row.log10E << '\t' << row.q << '\t' << row.sameSitesAs;
  if (row.central) out << '\t' << row.central->log10P << '\t' << row.central->width;
  return out.str();
}

bool isKnownHeader(const std::string& firstLine) {
  return isLine(firstLine, kKnownHeader) || isLine(firstLine, kCentralHeader);
}

namespace {

// The columns of a known-motif table, found in its header.
struct Columns {
  TsvColumn rank, id, name, consensus, threshold, primaryHits, primaryTotal, controlHits, controlTotal, log10P, log10E,
      q, sameSitesAs;
  std::optional<TsvColumn> centralLog10P, centralWidth;  // in known.tsv of zelkova-discover
};

Columns columnsOf(const formats::TsvTable& t) {
  Columns c{t.column("rank"),
            t.column("id"),
            t.column("name"),
            t.column("consensus"),
            t.column("threshold"),
            t.column("primary_hits"),
            t.column("primary_total"),
            t.column("control_hits"),
            t.column("control_total"),
            t.column("log10_p"),
            t.column("log10_E"),
            t.column("q"),
            t.column("same_sites_as"),
            std::nullopt,
            std::nullopt};
  c.centralLog10P = t.optionalColumn("central_log10_p");
  if (c.centralLog10P) c.centralWidth = t.column("central_width");
  return c;
}

// central_log10_p and central_width: NA in both, or a log10 p-value and a
// width of 1 or more.
CentralColumns parseCentral(const formats::TsvRow& f, const TsvColumn& log10PColumn, const TsvColumn& widthColumn) {
  const std::string& log10P = f.text(log10PColumn);
  const std::string& width = f.text(widthColumn);
  if (log10P == kNone && width == kNone) return {log10P, width};
  if (log10P == kNone || width == kNone) f.fail("central_log10_p and central_width are NA together or neither");
  const double value = f.number(log10PColumn, NonFinite::Allowed);
  if (!std::isfinite(value) || value > 0)
    f.fail("central_log10_p " + formats::quoted(log10P) + " is not the log10 of a p-value");
  if (f.count(widthColumn) < 1) f.fail("central_width " + formats::quoted(width) + " is not 1 or more");
  return {log10P, width};
}

// The text of a number column that must hold a finite number.
const std::string& finite(const formats::TsvRow& f, const TsvColumn& column) {
  f.number(column, NonFinite::Refused);
  return f.text(column);
}

KnownRow parseRow(const formats::TsvRow& f, const Columns& c) {
  KnownRow row;
  row.rank = f.smallCount(c.rank);
  row.id = f.identifier(c.id);
  row.name = f.text(c.name);
  row.consensus = f.text(c.consensus);
  row.threshold = finite(f, c.threshold);
  row.primaryHits = f.count(c.primaryHits);
  row.primaryTotal = f.count(c.primaryTotal);
  row.controlHits = f.count(c.controlHits);
  row.controlTotal = f.count(c.controlTotal);
  if (row.primaryHits > row.primaryTotal || row.controlHits > row.controlTotal) f.fail("more hits than sequences");
  row.log10P = finite(f, c.log10P);
  row.log10E = finite(f, c.log10E);
  row.q = finite(f, c.q);
  row.sameSitesAs = f.text(c.sameSitesAs);
  if (c.centralLog10P) row.central = parseCentral(f, *c.centralLog10P, *c.centralWidth);
  row.line = f.line();
  return row;
}

}  // namespace

std::vector<KnownRow> readKnownTable(std::istream& in, const std::string& source) {
  formats::TsvTable table(in, source, "a known-motif table", "a known-motif line");
  const Columns columns = columnsOf(table);
  std::vector<KnownRow> rows;
  for (formats::TsvRow fields; table.next(fields);) {
    rows.push_back(parseRow(fields, columns));
    if (rows.back().rank != static_cast<int>(rows.size()))
      fields.fail("rank " + std::to_string(rows.back().rank) + " where " + std::to_string(rows.size()) + " was due");
  }
  return rows;
}

std::vector<KnownRow> readKnownTableFile(const std::string& path) {
  std::ifstream in = formats::openFile(path);
  return readKnownTable(in, path);
}

}  // namespace formats
