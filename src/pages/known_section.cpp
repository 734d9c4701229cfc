#include "pages/known_section.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <ostream>

#include "formats/numbers.h"
#include "formats/text_lines.h"
#include "pages/html_table.h"
#include "pages/report_page.h"
#include "stats/known_enrichment.h"

namespace pages {

const char* const kKnownStyle = R"(
table.known td { vertical-align: middle; }
table.known svg.logo { height: 48px; width: auto; }
table.known .small { color: #555; font-size: 0.85em; }
)";

std::vector<const formats::Motif*> knownMotifsOfRows(const std::vector<formats::KnownRow>& rows,
                                                     const std::vector<formats::Motif>& database,
                                                     const std::string& source) {
  std::map<std::string, const formats::Motif*> byId;
  for (const formats::Motif& m : database) byId.emplace(m.id, &m);
  std::vector<const formats::Motif*> motifs;
  for (const formats::KnownRow& row : rows) {
    const auto found = byId.find(row.id);
    if (found == byId.end()) throw ReadError(source, row.line, "motif " + row.id + " is not in the motif files given");
    motifs.push_back(found->second);
  }
  return motifs;
}

namespace {

std::string share(long long hits, long long total) {
  return formats::percentOf(hits, total) + "<br><span class=\"small\">" + std::to_string(hits) + " of " +
         std::to_string(total) + "</span>";
}

std::string noteOf(const formats::KnownRow& row, bool linkDiscovered) {
  if (row.sameSitesAs == "NA") return "";
  const std::string id = escape(row.sameSitesAs);
  return "sites mostly those of " + (linkDiscovered ? "<a href=\"#" + id + "\">" + id + "</a>" : id);
}

std::string evalue(const std::string& log10Text) {
  return formats::scientificFromLog10(std::strtod(log10Text.c_str(), nullptr));
}

void writeRowOf(std::ostream& out, const formats::KnownRow& row, const formats::Motif& m, bool linkDiscovered,
                bool withNotes) {
  std::vector<pages::Cell> cells{
      {std::to_string(row.rank), "num"},
      {escape(row.id) + (row.name.empty() ? "" : "<br><span class=\"small\">" + escape(row.name) + "</span>")},
      {frequencyLogoSvg(formats::plainFrequencies(m), "Sequence logo of " + row.id)},
      {share(row.primaryHits, row.primaryTotal), "num"},
      {share(row.controlHits, row.controlTotal), "num"},
      {evalue(row.log10E), "num evalue"},
      pages::text(row.q, "num")};
  if (withNotes) cells.push_back({noteOf(row, linkDiscovered)});
  out << pages::row(cells);
}

}  // namespace

void writeKnownSection(std::ostream& out, const std::vector<formats::KnownRow>& rows,
                       const std::vector<const formats::Motif*>& motifs, const KnownSection& section) {
  const std::size_t shown = std::min(rows.size(), kKnownShown);
  const long long enriched = std::count_if(rows.begin(), rows.end(), [](const formats::KnownRow& r) {
    return std::strtod(r.q.c_str(), nullptr) < stats::kEnrichedQ;
  });
  out << "<section id=\"known\">\n<h2>Known motifs</h2>\n<p class=\"note\">" << section.tested << ' ' << enriched
      << " of " << rows.size() << (rows.size() == 1 ? " motif has" : " motifs have") << " a q-value below "
      << formats::fixedPoint(stats::kEnrichedQ, 2) << ". A site is a window scoring at least the motif's threshold. ";
  if (shown < rows.size()) out << "The best " << shown << " are shown; ";
  out << "<a href=\"" << escape(section.tableLink) << "\">" << escape(section.tableLink) << "</a> lists "
      << (shown < rows.size() ? "all" : "them") << ".</p>\n";
  if (rows.empty()) {
    out << "<p class=\"empty\">The database holds no motif.</p>\n</section>\n";
    return;
  }
  // The note says which motif found here a known motif re-finds; a table
  // without any (zelkova-enrich --db) has no such column.
  const bool withNotes = std::any_of(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(shown),
                                     [](const formats::KnownRow& r) { return r.sameSitesAs != "NA"; });
  std::vector<pages::Cell> headings{{"Rank", "num"},
                                    {"Motif"},
                                    {"Logo"},
                                    {"Primary sequences with a site", "num"},
                                    {"Control sequences with a site", "num"},
                                    {"E-value", "num"},
                                    {"q-value", "num"}};
  if (withNotes) headings.push_back({"Note"});
  out << "<table class=\"known sortable\">\n" << pages::head(headings) << "<tbody>\n";
  for (std::size_t i = 0; i < shown; ++i) writeRowOf(out, rows[i], *motifs[i], section.linkDiscovered, withNotes);
  out << "</tbody>\n</table>\n</section>\n";
}

}  // namespace pages
