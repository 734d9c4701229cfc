#include "discover/report/site_outputs.h"

#include <algorithm>
#include <ostream>

#include "base/errors.h"
#include "formats/enrichment_table.h"
#include "formats/numbers.h"
#include "pages/central_histogram.h"
#include "pages/html_table.h"
#include "pages/report_page.h"
#include "stats/scoring_matrix.h"

namespace discover {

using formats::fixedPoint;
using formats::scientificFromLog10;
using pages::escape;

namespace {

double expectedInside(const stats::CentralResult& r) { return static_cast<double>(r.sites) * r.best.expectedShare; }

// "250 of 290 best sites start in the central 20 of 187 positions, where
// uniform positions would put 31.0 (p = 1.2e-100)".
std::string windowText(const stats::CentralResult& r) {
  return std::to_string(r.best.inside) + " of " + std::to_string(r.sites) + " best sites start in the central " +
         std::to_string(r.best.width) + " of " + std::to_string(r.positions) +
         " positions, where uniform positions would put " + fixedPoint(expectedInside(r), 1) +
         " (p = " + scientificFromLog10(r.best.log10P) + ")";
}

std::string backgroundText(const stats::Background& b) {
  return "A " + fixedPoint(b[0], 4) + ", C " + fixedPoint(b[1], 4) + ", G " + fixedPoint(b[2], 4) + ", T " +
         fixedPoint(b[3], 4);
}

// One motif's row of the page's table.
void writeCentralRow(std::ostream& out, const std::string& idCell, const char* kind, const stats::CentralResult& r) {
  out << pages::row({{idCell},
                     {kind},
                     {std::to_string(r.sites), "num"},
                     {std::to_string(r.best.width) + " of " + std::to_string(r.positions), "num"},
                     {std::to_string(r.best.inside), "num"},
                     {fixedPoint(expectedInside(r), 1), "num"},
                     {scientificFromLog10(r.best.log10P), "num"}},
                    r.best.central() ? "central" : "");
}

std::string knownLabel(const Discovery& d, std::size_t k) {
  const stats::KnownResult& r = d.known[k];
  return r.test.motif.id + (r.name.empty() ? "" : " " + r.name);
}

}  // namespace

formats::CentralColumns centralColumns(const std::optional<stats::CentralResult>& result) {
  if (!result) return {};
  ZK_ASSERT(result->best.width > 0);
  return {formats::log10Text(result->best.log10P), std::to_string(result->best.width)};
}

std::vector<formats::CentralColumns> knownCentralColumns(const Discovery& d) {
  ZK_ASSERT(d.central.known.size() == d.known.size());
  std::vector<formats::CentralColumns> columns;
  for (const std::optional<stats::CentralResult>& r : d.central.known) columns.push_back(centralColumns(r));
  return columns;
}

std::string centralSentence(const Discovery& d) {
  if (d.motifs.empty() || !d.central.reported.at(0) || !d.central.reported[0]->best.central()) return "";
  return "The sites of the best motif gather at the centres of the sequences: " + windowText(*d.central.reported[0]) +
         ", as the sites of a factor bound at the peak summits do. ";
}

void writeSiteLog(std::ostream& out, const Discovery& d) {
  out << "site p-values: log-odds scores against the letters of the primary sequences ("
      << backgroundText(d.siteBackground) << ", both strands counted), pseudo-count "
      << stats::kDefaultMatrixPseudocount
      << ", as zelkova-scan --bg sequences gives them; of overlapping sites of a motif only the best is listed\n";
  const CentralSetting& s = d.central.setting;
  if (s.sequenceLength == 0) {
    out << "central enrichment: not tested: " << s.whyNot << "\n";
    return;
  }
  out << "central enrichment: the best site of each of " << s.sequences << " primary sequences of " << s.sequenceLength
      << " letters; central windows of " << stats::kWidthStep << ", " << 2 * stats::kWidthStep
      << ", ... start positions tried, up to half the positions, p corrected for the "
      << "number tried\n";
  for (std::size_t i = 0; i < d.motifs.size(); ++i) {
    const std::optional<stats::CentralResult>& r = d.central.reported.at(i);
    out << "  " << d.motifs[i].id << ": "
        << (r ? std::string(r->best.central() ? "central, " : "not central, best window: ") + windowText(*r)
              : std::string("not tested, too wide for the sequences"))
        << "\n";
  }
}

void writeCentralFigure(std::ostream& out, const Discovery& d, std::size_t motif) {
  out << "<h3>Where the sites lie</h3>\n";
  const CentralSetting& s = d.central.setting;
  const std::optional<stats::CentralResult>& r = d.central.reported.at(motif);
  if (!r) {
    out << "<p class=\"empty\">Not tested: "
        << escape(s.sequenceLength == 0 ? s.whyNot
                                        : "the motif is too wide for central windows in sequences of " +
                                              std::to_string(s.sequenceLength) + " letters")
        << ".</p>\n";
    return;
  }
  out << "<p class=\"note\">The best site of each primary sequence of " << s.sequenceLength
      << " letters that has one, by where it starts (<a href=\"#central\">method</a>): " << escape(windowText(*r))
      << ".</p>\n<figure class=\"central\">" << pages::centralHistogramSvg(*r, d.motifs[motif].id) << "</figure>\n";
}

void writeCentralSection(std::ostream& out, const Discovery& d) {
  out << "<section id=\"central\">\n<h2>Where the sites lie</h2>\n";
  const CentralSetting& s = d.central.setting;
  if (s.sequenceLength == 0) {
    out << "<p class=\"empty\">Central enrichment was not tested: " << escape(s.whyNot) << ".</p>\n</section>\n";
    return;
  }
  out << "<p class=\"note\">Are the sites at the centres of the " << s.sequences << " primary sequences of "
      << s.sequenceLength << " letters, as those of a factor bound at the peak summits are? The best site of each "
      << "sequence (the one of the lowest p-value) is counted by where it starts; of the central windows of "
      << stats::kWidthStep << ", " << 2 * stats::kWidthStep
      << ", ... start positions up to half of them, the one that holds the most sites beyond what uniform "
         "positions predict is given, "
         "its binomial p-value corrected for the number of widths tried. A window of p below "
      << fixedPoint(stats::kCentralP, 2) << " is called central. Every reported motif and every enriched known "
      << "motif is tested.</p>\n";
  const auto tested = [](const std::vector<std::optional<stats::CentralResult>>& results) {
    return std::any_of(results.begin(), results.end(), [](const auto& r) { return r.has_value(); });
  };
  if (!tested(d.central.reported) && !tested(d.central.known)) {
    out << "<p class=\"empty\">No motif to test: none was reported or enriched, or each is too wide.</p>\n</section>\n";
    return;
  }
  out << "<table class=\"central sortable\">\n"
      << pages::head({{"Motif"},
                      {"Kind"},
                      {"Best sites", "num"},
                      {"Central window (positions)", "num"},
                      {"Sites in it", "num"},
                      {"Expected", "num"},
                      {"p-value", "num"}})
      << "<tbody>\n";
  for (std::size_t i = 0; i < d.motifs.size(); ++i)
    if (const std::optional<stats::CentralResult>& r = d.central.reported.at(i))
      writeCentralRow(out, "<a href=\"#" + d.motifs[i].id + "\">" + d.motifs[i].id + "</a>", "found here", *r);
  std::vector<std::size_t> drawn;
  for (std::size_t k = 0; k < d.central.known.size(); ++k)
    if (const std::optional<stats::CentralResult>& r = d.central.known[k]) {
      writeCentralRow(out, escape(knownLabel(d, k)), "known", *r);
      if (drawn.size() < kKnownHistogramsShown) drawn.push_back(k);
    }
  out << "</tbody>\n</table>\n";
  if (!drawn.empty())
    out << "<p class=\"note\">The histograms of the reported motifs are in their sections; those of the "
        << drawn.size() << " best enriched known motifs follow.</p>\n";
  for (std::size_t k : drawn)
    out << "<figure class=\"central\" style=\"display: inline-block; margin: 0.5em 1.5em 0.5em 0\">"
        << pages::centralHistogramSvg(*d.central.known[k], knownLabel(d, k)) << "<figcaption>"
        << escape(knownLabel(d, k)) << "</figcaption></figure>\n";
  out << "</section>\n";
}

}  // namespace discover
