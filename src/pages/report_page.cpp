#include "pages/report_page.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <ostream>
#include <sstream>
#include <string>

#include "base/errors.h"
#include "base/version.h"
#include "formats/motif.h"
#include "formats/motif_export.h"
#include "formats/numbers.h"
#include "pages/html_table.h"

namespace pages {

using formats::CountColumn;
using formats::fixedPoint;
using formats::kBaseLetters;
using formats::kReportBases;
using formats::motifId;
using formats::Report;
using formats::ReportMotif;

double informationContent(const CountColumn& column) {
  const std::array<double, kReportBases> heights = letterHeights(column);
  return std::accumulate(heights.begin(), heights.end(), 0.0);
}

std::array<double, kReportBases> letterHeights(const CountColumn& column) {
  if (std::accumulate(column.begin(), column.end(), 0LL) == 0) return {};
  return frequencyLetterHeights(formats::frequencies(column));
}

std::array<double, kReportBases> frequencyLetterHeights(const std::array<double, kReportBases>& p) {
  double ic = 2.0;
  for (double x : p)
    if (x > 0.0) ic += x * std::log2(x);
  ic = std::max(ic, 0.0);  // rounding can leave an even column a hair below 0
  std::array<double, kReportBases> heights{};
  for (int b = 0; b < kReportBases; ++b) heights[b] = p[b] * ic;
  return heights;
}

std::vector<CountColumn> reverseComplement(const std::vector<CountColumn>& counts) {
  return formats::reverseComplement(counts);
}

std::string escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

namespace {

// Letter shapes in a 100 x 100 box, y pointing down, filling the box so that
// stacked letters touch.
const char* const kGlyphs[kReportBases] = {
    "M0 100L38 0H62L100 100H80L71 75H29L20 100ZM36 57H64L50 20Z",
    "M88.3 17.9A50 50 0 1 0 88.3 82.1L74.5 70.6A32 32 0 1 1 74.5 29.4Z",
    "M88.3 17.9A50 50 0 1 0 100 50H54V64H78.8A32 32 0 1 1 74.5 29.4Z",
    "M0 0H100V18H59V100H41V18H0Z",
};
const char* const kColours[kReportBases] = {"#1a9641", "#2166ac", "#f28e00", "#d7191c"};

// Logo geometry in pixels.
constexpr double kColumnWidth = 28;
constexpr double kPixelsPerBit = 70;
constexpr double kLeft = 46, kTop = 10, kBottom = 24, kRight = 8;
constexpr double kSmallest = 0.05;  // letters thinner than this are left out

std::string number(double value) { return fixedPoint(value, 2); }

// The bit axis, and the column numbers 1..width under columns shift onwards.
void writeAxes(std::ostream& svg, int width, int shift) {
  const double baseline = kTop + 2 * kPixelsPerBit;
  svg << "<g class=\"axis\" font-family=\"sans-serif\" font-size=\"10\" fill=\"#333\">"
      << "<line x1=\"" << kLeft - 4 << "\" y1=\"" << kTop << "\" x2=\"" << kLeft - 4 << "\" y2=\"" << baseline
      << "\" stroke=\"#333\"/>";
  for (int tick = 0; tick <= 4; ++tick) {
    const double y = baseline - tick * kPixelsPerBit / 2;
    svg << "<line x1=\"" << kLeft - 8 << "\" y1=\"" << number(y) << "\" x2=\"" << kLeft - 4 << "\" y2=\"" << number(y)
        << "\" stroke=\"#333\"/><text x=\"" << kLeft - 10 << "\" y=\"" << number(y + 3.5) << "\" text-anchor=\"end\">"
        << fixedPoint(tick / 2.0, 1) << "</text>";
  }
  svg << "<text transform=\"translate(10 " << number(kTop + kPixelsPerBit) << ") rotate(-90)\" "
      << "text-anchor=\"middle\">bits</text>";
  for (int i = 0; i < width; ++i)
    svg << "<text x=\"" << number(kLeft + (shift + i + 0.5) * kColumnWidth) << "\" y=\"" << number(baseline + 15)
        << "\" text-anchor=\"middle\">" << i + 1 << "</text>";
  svg << "</g>";
}

void writeColumn(std::ostream& svg, const std::array<double, kReportBases>& heights, int position) {
  std::array<int, kReportBases> order{0, 1, 2, 3};
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return heights[a] < heights[b]; });
  double y = kTop + 2 * kPixelsPerBit;
  const double x = kLeft + position * kColumnWidth + 1;
  for (int b : order) {
    const double h = heights[b] * kPixelsPerBit;
    if (h < kSmallest) continue;
    y -= h;
    svg << "<path class=\"letter-" << kBaseLetters[b] << "\" d=\"" << kGlyphs[b] << "\" fill=\"" << kColours[b]
        << "\" fill-rule=\"evenodd\" transform=\"translate(" << number(x) << ' ' << fixedPoint(y, 3) << ") scale("
        << fixedPoint((kColumnWidth - 2) / 100, 4) << ' ' << fixedPoint(h / 100, 5) << ")\"/>";
  }
}

}  // namespace

std::string logoSvg(const std::vector<CountColumn>& counts, const std::string& label) {
  std::vector<std::array<double, kReportBases>> heights;
  for (const CountColumn& c : counts) heights.push_back(letterHeights(c));
  return shiftedLogoSvg(heights, label, 0, static_cast<int>(counts.size()));
}

std::string frequencyLogoSvg(const std::vector<std::array<double, kReportBases>>& frequencies,
                             const std::string& label) {
  std::vector<std::array<double, kReportBases>> heights;
  for (const std::array<double, kReportBases>& f : frequencies) heights.push_back(frequencyLetterHeights(f));
  return shiftedLogoSvg(heights, label, 0, static_cast<int>(frequencies.size()));
}

std::string shiftedLogoSvg(const std::vector<std::array<double, kReportBases>>& heights, const std::string& label,
                           int shift, int span) {
  const int width = static_cast<int>(heights.size());
  ZK_CHECK(shift >= 0 && shift + width <= span, "a logo fits the span it is drawn in");
  const double w = kLeft + span * kColumnWidth + kRight;
  const double h = kTop + 2 * kPixelsPerBit + kBottom;
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"logo\" role=\"img\" width=\"" << number(w) << "\" height=\""
      << number(h) << "\" viewBox=\"0 0 " << number(w) << ' ' << number(h) << "\"><title>" << escape(label)
      << "</title>";
  writeAxes(svg, width, shift);
  for (int i = 0; i < width; ++i) writeColumn(svg, heights[i], shift + i);
  svg << "</svg>";
  return svg.str();
}

const char* const kPageStyle = R"(
body { font-family: sans-serif; margin: 2em auto; max-width: 1100px; padding: 0 1em; color: #222; }
h1 { margin-bottom: 0.2em; }
h2 { border-bottom: 1px solid #ccc; padding-bottom: 0.2em; margin-top: 2em; }
table { border-collapse: collapse; margin: 0.5em 0 1em; }
th, td { border: 1px solid #ddd; padding: 0.2em 0.6em; text-align: left; }
th { background: #f2f2f2; }
td.num, th.num { text-align: right; font-variant-numeric: tabular-nums; }
.word { font-family: monospace; font-size: 1.1em; letter-spacing: 0.05em; }
.logos { display: flex; flex-wrap: wrap; gap: 2em; }
figure { margin: 0; }
figcaption { font-size: 0.9em; color: #555; }
table.counts td { text-align: right; min-width: 1.6em; }
table.sortable th { cursor: pointer; }
table.sortable th[aria-sort=ascending]::after { content: " \25B2"; }
table.sortable th[aria-sort=descending]::after { content: " \25BC"; }
.scroll { max-height: 30em; overflow: auto; display: inline-block; }
.A { color: #1a9641; } .C { color: #2166ac; } .G { color: #f28e00; } .T { color: #d7191c; }
)";

// Without scripts a table simply stays in the order it was written in.
const char* const kSortScript = R"(
document.querySelectorAll('table.sortable th').forEach(function (th) {
  th.addEventListener('click', function () {
    var table = th.closest('table'), body = table.tBodies[0], col = th.cellIndex;
    var numeric = th.classList.contains('num');
    var up = th.getAttribute('aria-sort') !== 'ascending';
    table.querySelectorAll('th').forEach(function (h) { h.removeAttribute('aria-sort'); });
    th.setAttribute('aria-sort', up ? 'ascending' : 'descending');
    var rows = Array.prototype.slice.call(body.rows);
    rows.sort(function (a, b) {
      var x = a.cells[col].textContent, y = b.cells[col].textContent;
      var d = numeric ? parseFloat(x) - parseFloat(y) : x.localeCompare(y);
      return up ? d : -d;
    });
    rows.forEach(function (r) { body.appendChild(r); });
  });
});
)";

std::string colouredWord(const std::string& word) {
  std::string html = "<span class=\"word\">";
  for (char c : word) {
    const char* known = std::char_traits<char>::find(kBaseLetters, kReportBases, c);
    html += known ? std::string("<span class=\"") + c + "\">" + c + "</span>" : escape(std::string(1, c));
  }
  return html + "</span>";
}

void writeRow(std::ostream& out, const std::string& name, const std::string& value) {
  out << "<tr>" << pages::cell({name}, pages::Kind::Heading) << pages::cell({value}) << "</tr>\n";
}

void writeStrandLogos(std::ostream& out, const std::vector<CountColumn>& counts, const std::string& id) {
  out << "<div class=\"logos\">\n<figure class=\"forward\">" << logoSvg(counts, "Sequence logo of " + id)
      << "<figcaption>Forward strand</figcaption></figure>\n<figure class=\"reverse\">"
      << logoSvg(reverseComplement(counts), "Sequence logo of the reverse complement of " + id)
      << "<figcaption>Reverse complement</figcaption></figure>\n</div>\n";
}

void writeMatrixTable(std::ostream& out, const std::string& title, const std::vector<MatrixColumnText>& columns) {
  std::vector<pages::Cell> headings{{""}};
  for (std::size_t i = 0; i < columns.size(); ++i) headings.push_back({std::to_string(i + 1), "num"});
  out << "<h3>" << title << "</h3>\n<table class=\"counts\">\n" << pages::head(headings) << "<tbody>\n";
  for (int b = 0; b < kReportBases; ++b) {
    const std::string letter(1, kBaseLetters[b]);
    std::vector<pages::Cell> values;
    for (const MatrixColumnText& column : columns) values.push_back({column[b]});
    out << "<tr>" << pages::cell({letter, letter}, pages::Kind::Heading) << pages::cells(values) << "</tr>\n";
  }
  out << "</tbody>\n</table>\n";
}

void writeCountMatrix(std::ostream& out, const std::vector<CountColumn>& counts) {
  std::vector<MatrixColumnText> columns;
  for (const CountColumn& column : counts) {
    MatrixColumnText& texts = columns.emplace_back();
    for (int b = 0; b < kReportBases; ++b) texts[b] = std::to_string(column[b]);
  }
  writeMatrixTable(out, "Count matrix", columns);
}

void writeSiteTable(std::ostream& out, const std::vector<formats::ReportSite>& sites,
                    const std::vector<std::string>& genomeCells, const std::vector<double>& log10P) {
  ZK_ASSERT(genomeCells.empty() || genomeCells.size() == sites.size());
  ZK_ASSERT(log10P.empty() || log10P.size() == sites.size());
  std::vector<pages::Cell> headings{{"Sequence"}, {"Strand"}, {"Position", "num"}};
  if (!genomeCells.empty()) headings.push_back({"Genome position"});
  headings.insert(headings.end(), {{"Word"}, {"Score", "num"}});
  if (!log10P.empty()) headings.push_back({"p-value", "num"});
  out << "<div class=\"scroll\"><table class=\"sites sortable\">\n" << pages::head(headings) << "<tbody>\n";
  for (std::size_t i = 0; i < sites.size(); ++i) {
    const formats::ReportSite& s = sites[i];
    std::vector<pages::Cell> cells{
        pages::text(s.sequence), {s.forward ? "+" : "&minus;"}, {std::to_string(s.position), "num"}};
    if (!genomeCells.empty()) cells.push_back({genomeCells[i]});
    cells.insert(cells.end(), {{colouredWord(s.word)}, {fixedPoint(s.score, 4), "num"}});
    if (!log10P.empty()) cells.push_back({formats::scientificFromLog10(log10P[i]), "num"});
    out << pages::row(cells);
  }
  out << "</tbody>\n</table></div>\n";
}

namespace {

std::string score(double value) { return fixedPoint(value, 6); }

std::string initMethodName(int method) {
  if (method == 1) return "1 (enumeration of words within the mismatch allowance)";
  if (method == 2) return "2 (closest word of each seed sequence)";
  return std::to_string(method);
}

void writeParameters(std::ostream& out, const formats::ReportParameters& p) {
  out << "<section id=\"parameters\">\n<h2>Run parameters</h2>\n<table class=\"parameters\">\n";
  writeRow(out, "Command line", "<code>" + escape(p.commandLine) + "</code>");
  writeRow(out, "Run started", escape(p.date));
  writeRow(out, "Sequences", std::to_string(p.sequences));
  writeRow(out, "Total length", std::to_string(p.totalLength));
  writeRow(out, "Average length", std::to_string(p.averageLength));
  writeRow(out, "Seed sequences", std::to_string(p.seedSequences));
  writeRow(out, "Cluster initialisation", initMethodName(p.initMethod));
  writeRow(out, "Mismatches allowed", std::to_string(p.mismatches));
  writeRow(out, "Strands", p.forwardOnly ? "forward only" : "both");
  writeRow(out, "Matching threshold", fixedPoint(p.matchingThreshold, 4));
  writeRow(out, "Complexity threshold", fixedPoint(p.complexityThreshold, 4));
  out << "</table>\n</section>\n";
}

void writeSummary(std::ostream& out, const Report& report, const std::vector<PageAddition>& additions) {
  out << "<section id=\"summary\">\n<h2>Motifs</h2>\n";
  if (report.motifs.empty()) {
    out << "<p class=\"empty\">The report holds no motifs.</p>\n</section>\n";
    return;
  }
  out << "<table class=\"summary\">\n<thead><tr>"
      << pages::cells({{"Rank", "num"}, {"Motif"}, {"Consensus"}, {"Sites", "num"}, {"MAP score", "num"}},
                      pages::Kind::Heading);
  for (const PageAddition& addition : additions) out << addition.tableHeadings;
  out << "</tr></thead>\n<tbody>\n";
  for (const ReportMotif& m : report.motifs) {
    out << "<tr>"
        << pages::cells({{std::to_string(m.rank), "num"},
                         {"<a href=\"#" + motifId(m) + "\">" + motifId(m) + "</a>"},
                         {colouredWord(m.consensus)},
                         {std::to_string(m.siteCount), "num"},
                         {score(m.mapScore), "num"}});
    for (const PageAddition& addition : additions)
      if (addition.tableCells) out << addition.tableCells(m);
    out << "</tr>\n";
  }
  out << "</tbody>\n</table>\n</section>\n";
}

void writeScores(std::ostream& out, const ReportMotif& m) {
  out << "<table class=\"scores\">\n";
  writeRow(out, "MAP score", score(m.mapScore));
  writeRow(out, "Complexity", score(m.complexity));
  writeRow(out, "Relative entropy", score(m.relativeEntropy) + " bits");
  writeRow(out, "Sites", std::to_string(m.siteCount));
  writeRow(out, "Consensus", colouredWord(m.consensus));
  writeRow(out, "Degenerate consensus", colouredWord(m.degenerateConsensus));
  writeRow(out, "Reverse complement", colouredWord(m.reverseConsensus));
  out << "</table>\n";
}

void writeSites(std::ostream& out, const ReportMotif& m) {
  out << "<h3>Sites</h3>\n";
  if (m.sites.empty()) {
    out << "<p class=\"empty\">No sites.</p>\n";
    return;
  }
  writeSiteTable(out, m.sites);
}

void writeMotif(std::ostream& out, const ReportMotif& m, const std::vector<PageAddition>& additions) {
  out << "<section class=\"motif\" id=\"" << motifId(m) << "\">\n<h2>Motif rank #" << m.rank << ": " << motifId(m)
      << "</h2>\n";
  writeScores(out, m);
  for (const PageAddition& addition : additions)
    if (addition.afterScores) addition.afterScores(out, m);
  writeStrandLogos(out, m.counts, motifId(m));
  for (const PageAddition& addition : additions)
    if (addition.inMotifSection) addition.inMotifSection(out, m);
  writeCountMatrix(out, m.counts);
  writeSites(out, m);
  out << "</section>\n";
}

}  // namespace

void writeHtml(std::ostream& out, const Report& report, const std::string& reportName, const std::string& program,
               const std::vector<PageAddition>& additions) {
  const std::string name = escape(reportName);
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      << "<title>ZELKOVA motifs: " << name << "</title>\n<style>" << kPageStyle;
  for (const PageAddition& addition : additions) out << addition.style;
  out << "</style>\n</head>\n<body>\n"
      << "<header>\n<h1>ZELKOVA motifs</h1>\n<p>Report <code>" << name << "</code>, " << report.motifs.size()
      << (report.motifs.size() == 1 ? " motif" : " motifs") << ".</p>\n</header>\n";
  writeParameters(out, report.parameters);
  writeSummary(out, report, additions);
  for (const ReportMotif& m : report.motifs) writeMotif(out, m, additions);
  out << "<footer>\n<p>Written by " << escape(versionLine(program)) << ".</p>\n</footer>\n";
  out << "<script>" << kSortScript << "</script>\n</body>\n</html>\n";
}

}  // namespace pages
