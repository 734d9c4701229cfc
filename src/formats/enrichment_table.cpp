#include "formats/enrichment_table.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "formats/command_files.h"
#include "formats/numbers.h"
#include "formats/text_lines.h"
#include "formats/tsv_table.h"

namespace formats {

const char* const kEnrichmentHeader =
    "rank\tid\tconsensus\tthreshold\tprimary_hits\tprimary_total\tcontrol_hits\tcontrol_total\tenrichment\t"
    "log10_p\tlog10_p_adj\tlog10_E";
const char* const kEnrichmentSitesHeader = "motif\tset\tsequence\tposition\tstrand\tword\tscore";

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

std::string enrichmentLine(const EnrichmentRow& row) {
  std::ostringstream out;
  out << row.rank << '\t' << row.id << '\t' << row.consensus << '\t' << row.threshold << '\t' << row.primaryHits << '\t'
      << row.primaryTotal << '\t' << row.controlHits << '\t' << row.controlTotal << '\t' << row.enrichment << '\t'
      << row.log10P << '\t' << row.log10PAdjusted << '\t' << row.log10E;
  return out.str();
}

namespace {

// The columns of an enrichment table, found in its header.
struct Columns {
  TsvColumn rank, id, consensus, threshold, primaryHits, primaryTotal, controlHits, controlTotal, enrichment, log10P,
      log10PAdjusted, log10E;
};

Columns columnsOf(const formats::TsvTable& t) {
  return {t.column("rank"),         t.column("id"),
          t.column("consensus"),    t.column("threshold"),
          t.column("primary_hits"), t.column("primary_total"),
          t.column("control_hits"), t.column("control_total"),
          t.column("enrichment"),   t.column("log10_p"),
          t.column("log10_p_adj"),  t.column("log10_E")};
}

// The text of a number column.
const std::string& numberText(const formats::TsvRow& f, const TsvColumn& column) {
  f.number(column, NonFinite::Allowed);
  return f.text(column);
}

// The enrichment is a number, or "inf" (no control hits) or "NA" (no hits).
const std::string& ratioText(const formats::TsvRow& f, const TsvColumn& column) {
  const std::string& text = f.text(column);
  return text == "inf" || text == "NA" ? text : numberText(f, column);
}

EnrichmentRow parseRow(const formats::TsvRow& f, const Columns& c) {
  EnrichmentRow row;
  row.rank = f.smallCount(c.rank);
  row.id = f.identifier(c.id);
  row.consensus = f.text(c.consensus);
  row.threshold = numberText(f, c.threshold);
  row.primaryHits = f.count(c.primaryHits);
  row.primaryTotal = f.count(c.primaryTotal);
  row.controlHits = f.count(c.controlHits);
  row.controlTotal = f.count(c.controlTotal);
  if (row.primaryHits > row.primaryTotal || row.controlHits > row.controlTotal) f.fail("more hits than sequences");
  row.enrichment = ratioText(f, c.enrichment);
  row.log10P = numberText(f, c.log10P);
  row.log10PAdjusted = numberText(f, c.log10PAdjusted);
  row.log10E = numberText(f, c.log10E);
  return row;
}

}  // namespace

std::vector<EnrichmentRow> readEnrichmentTable(std::istream& in, const std::string& source) {
  formats::TsvTable table(in, source, "an enrichment table", "an enrichment line");
  const Columns columns = columnsOf(table);
  std::vector<EnrichmentRow> rows;
  for (formats::TsvRow fields; table.next(fields);) rows.push_back(parseRow(fields, columns));
  return rows;
}

std::vector<EnrichmentRow> readEnrichmentTableFile(const std::string& path) {
  std::ifstream in = formats::openFile(path);
  return readEnrichmentTable(in, formats::inputName(path));
}

}  // namespace formats
