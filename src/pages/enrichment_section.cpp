#include "pages/enrichment_section.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "formats/motif_export.h"
#include "formats/numbers.h"
#include "formats/text_lines.h"
#include "pages/html_table.h"
#include "pages/report_page.h"

namespace pages {

using formats::EnrichmentRow;

std::vector<const EnrichmentRow*> matchEnrichment(const std::vector<std::string>& ids,
                                                  const std::vector<std::string>& consensus,
                                                  const std::vector<EnrichmentRow>& rows, const std::string& source) {
  std::vector<const EnrichmentRow*> matched(ids.size(), nullptr);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int line = static_cast<int>(r) + 2;  // after the header line
    std::size_t m = 0;
    while (m < ids.size() && ids[m] != rows[r].id) ++m;
    if (m == ids.size()) throw ReadError(source, line, "motif " + rows[r].id + " is not in the motif file");
    if (consensus[m] != rows[r].consensus)
      throw ReadError(source, line,
                      "motif " + rows[r].id + " has the consensus " + rows[r].consensus + " here but " + consensus[m] +
                          " in the motif file; was the table made from another file?");
    matched[m] = &rows[r];
  }
  return matched;
}

std::vector<const EnrichmentRow*> matchEnrichment(const formats::Report& report, const std::vector<EnrichmentRow>& rows,
                                                  const std::string& source) {
  std::vector<std::string> ids, consensus;
  for (const formats::ReportMotif& m : report.motifs) {
    ids.push_back(formats::motifId(m));
    consensus.push_back(m.consensus);
  }
  return matchEnrichment(ids, consensus, rows, source);
}

std::string fromLog10(const std::string& log10Text) {
  return formats::scientificFromLog10(std::strtod(log10Text.c_str(), nullptr));
}

namespace {

std::string hitsText(long long hits, long long total) { return std::to_string(hits) + " of " + std::to_string(total); }

// "7 of 18 (38.9 %)".
std::string hitsAndShare(long long hits, long long total) {
  return hitsText(hits, total) + " (" + formats::percentOf(hits, total) + ")";
}

}  // namespace

std::string enrichmentHeadings() {
  return pages::cells({{"Threshold", "num"},
                       {"Primary hits", "num"},
                       {"Control hits", "num"},
                       {"Enrichment", "num"},
                       {"E-value", "num"}},
                      pages::Kind::Heading);
}

std::string enrichmentCells(const EnrichmentRow* row) {
  if (!row) return pages::cell({"not tested", "num", "colspan=\"5\""});
  return pages::cells({{row->threshold, "num"},
                       {hitsText(row->primaryHits, row->primaryTotal), "num"},
                       {hitsText(row->controlHits, row->controlTotal), "num"},
                       pages::text(row->enrichment, "num"),
                       {fromLog10(row->log10E), "num evalue"}});
}

void writeEnrichmentSection(std::ostream& out, const EnrichmentRow* row) {
  out << "<h3>Enrichment</h3>\n";
  if (!row) {
    out << "<p class=\"empty\">Not in the enrichment table.</p>\n";
    return;
  }
  out << "<table class=\"enrichment\">\n";
  writeRow(out, "Threshold", row->threshold);
  writeRow(out, "Primary sequences at or above it", hitsAndShare(row->primaryHits, row->primaryTotal));
  writeRow(out, "Control sequences at or above it", hitsAndShare(row->controlHits, row->controlTotal));
  writeRow(out, "Enrichment", escape(row->enrichment));
  writeRow(out, "p-value", fromLog10(row->log10P) + " (log<sub>10</sub> " + row->log10P + ")");
  writeRow(out, "Adjusted p-value", fromLog10(row->log10PAdjusted) + " (log<sub>10</sub> " + row->log10PAdjusted + ")");
  writeRow(out, "E-value", fromLog10(row->log10E) + " (log<sub>10</sub> " + row->log10E + ")");
  out << "</table>\n";
}

PageAddition enrichmentAddition(const formats::Report& report, const std::vector<const formats::EnrichmentRow*>& rows) {
  // Motifs are told apart by their rank, which a report gives each once.
  auto rowOf = [&report, &rows](const formats::ReportMotif& m) -> const formats::EnrichmentRow* {
    for (std::size_t i = 0; i < report.motifs.size(); ++i)
      if (report.motifs[i].rank == m.rank) return rows[i];
    return nullptr;
  };
  PageAddition addition;
  addition.tableHeadings = enrichmentHeadings();
  addition.tableCells = [rowOf](const formats::ReportMotif& m) { return enrichmentCells(rowOf(m)); };
  addition.afterScores = [rowOf](std::ostream& out, const formats::ReportMotif& m) {
    writeEnrichmentSection(out, rowOf(m));
  };
  return addition;
}

}  // namespace pages
