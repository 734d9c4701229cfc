// The enrichment of each motif (a zelkova-enrich table) on the HTML page: extra
// columns in the motif table and a table in each motif's section.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "formats/enrichment_table.h"
#include "formats/report_reader.h"
#include "pages/report_page.h"

namespace pages {

// The row of each motif of `report`, in its order (nullptr for a motif the
// table does not list). Throws ReadError naming `source`
// and the line when a row names a motif the report does not hold, or one whose
// consensus differs (a table made from another report).
std::vector<const formats::EnrichmentRow*> matchEnrichment(const formats::Report& report,
                                                           const std::vector<formats::EnrichmentRow>& rows,
                                                           const std::string& source);

// The same for motifs given by their identifiers and consensus words (as
// zelkova-enrich names the motifs of a motif file).
std::vector<const formats::EnrichmentRow*> matchEnrichment(const std::vector<std::string>& ids,
                                                           const std::vector<std::string>& consensus,
                                                           const std::vector<formats::EnrichmentRow>& rows,
                                                           const std::string& source);

// "3.2e-15" from log10 of a value: two significant digits, never 0.
std::string fromLog10(const std::string& log10Text);

// Headings and cells of the motif table's enrichment columns.
std::string enrichmentHeadings();
std::string enrichmentCells(const formats::EnrichmentRow* row);

// The enrichment table of a motif's section.
void writeEnrichmentSection(std::ostream& out, const formats::EnrichmentRow* row);

// The enrichment on the page: columns in the motif table and a table after
// each motif's scores. `rows` holds the row of each motif of `report` in its
// order (matchEnrichment) and must outlive the addition.
PageAddition enrichmentAddition(const formats::Report& report, const std::vector<const formats::EnrichmentRow*>& rows);

}  // namespace pages
