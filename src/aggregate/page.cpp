#include "aggregate/page.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "base/version.h"
#include "discover/setup/options.h"
#include "formats/text_lines.h"
#include "pages/enrichment_section.h"
#include "pages/html_table.h"
#include "pages/report_page.h"

namespace fs = std::filesystem;

namespace aggregate {

using pages::escape;

std::string pageLink(const std::string& pagePath, const std::string& directory) {
  const fs::path from = fs::absolute(pagePath).lexically_normal().parent_path();
  const fs::path to = (fs::absolute(directory) / "index.html").lexically_normal();
  const std::string relative = to.lexically_relative(from).generic_string();
  return formats::percentEncoded(relative, "-._~/");
}

namespace {

const char* const kStyle = R"(
table.samples td { vertical-align: middle; }
table.samples td.num, table.samples th { white-space: nowrap; }
table.samples svg.logo { height: 64px; width: auto; }
table.samples td.none { color: #555; font-style: italic; }
.note { color: #555; font-size: 0.9em; }
)";

std::string decoyText(const std::string& beatsDecoy) { return beatsDecoy == "NA" ? "not run" : beatsDecoy; }

// As the sample's own page puts it: a match is named only when it convinces
// (summary.tsv holds it under best_match_* then, the weaker under weak_match_*).
std::string bestMatchText(const formats::SummaryRow& row) {
  if (row.bestMatchId != "NA")
    return escape(row.bestMatchId) + (row.bestMatchName == "NA" ? "" : " " + escape(row.bestMatchName)) +
           " (E = " + escape(row.bestMatchE) + ")";
  if (row.weakMatchId != "NA")
    return "no convincing match (best: " + escape(row.weakMatchId) + ", E = " + escape(row.weakMatchE) + ")";
  return "none";
}

std::vector<pages::Cell> motifCells(const Sample& s) {
  if (s.motifs.empty()) return {{"No motif reported.", "none"}, {""}, {""}, {""}};
  const formats::SummaryRow& best = s.motifs.front();
  return {{pages::logoSvg(s.bestCounts, "Sequence logo of the best motif of " + s.name) + "<br>" +
           pages::colouredWord(best.consensus)},
          {pages::fromLog10(best.log10E), "num evalue"},
          {decoyText(best.beatsDecoy)},
          {bestMatchText(best)}};
}

void writeSampleTable(std::ostream& out, const std::vector<Sample>& samples, const std::string& pagePath) {
  out << "<table class=\"samples sortable\">\n"
      << pages::head({{"Sample"},
                      {"Motifs", "num"},
                      {"Best motif"},
                      {"E-value", "num"},
                      {"Beats the decoy"},
                      {"Best known match"},
                      {"zelkova-discover"}})
      << "<tbody>\n";
  for (const Sample& s : samples) {
    std::vector<pages::Cell> cells{
        {"<a href=\"" + escape(pageLink(pagePath, s.directory)) + "\">" + escape(s.name) + "</a>"},
        {std::to_string(s.motifs.size()), "num"}};
    const std::vector<pages::Cell> motif = motifCells(s);
    cells.insert(cells.end(), motif.begin(), motif.end());
    cells.push_back(pages::text(s.discoverVersion));
    out << pages::row(cells);
  }
  out << "</tbody>\n</table>\n";
}

std::string plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string indexPage(const std::vector<Sample>& samples, const std::string& pagePath, const std::string& date) {
  std::size_t withMotif = 0;
  for (const Sample& s : samples) withMotif += s.motifs.empty() ? 0 : 1;
  std::ostringstream out;
  const std::string count = plural(samples.size(), "sample", "samples");
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      << "<title>ZELKOVA motifs of " << count << "</title>\n<style>" << pages::kPageStyle << kStyle
      << "</style>\n</head>\n<body>\n<header>\n<h1>Motifs of " << count << "</h1>\n"
      << "<p>" << plural(withMotif, "sample reports", "samples report") << " a motif. Each row shows the best motif "
      << "of a sample; its name leads to the sample's own page with every motif, and the E-values are those of "
      << "that page (see what it says they are worth). Click a heading to sort.</p>\n</header>\n";
  writeSampleTable(out, samples, pagePath);
  out << "<p class=\"note\">Made by " << escape(versionLine("zelkova-aggregate")) << " on " << escape(date)
      << ".</p>\n<script>" << pages::kSortScript << "</script>\n</body>\n</html>\n";
  return out.str();
}

}  // namespace aggregate
