#include "pages/central_histogram.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "formats/numbers.h"
#include "pages/report_page.h"

namespace pages {

namespace {

constexpr double kLeft = 50, kTop = 44, kBottom = 40, kRight = 12;
constexpr double kPlotWidth = 400, kPlotHeight = 140;
const char* const kBarColour = "#2166ac";
const char* const kExpectedColour = "#d6604d";
const char* const kWindowColour = "#fee8c8";

std::string number(double value) { return formats::fixedPoint(value, 1); }

// The x of a start position (the left edge of its letter).
double xOf(const stats::PositionHistogram& h, double start) {
  const double first = h.firstStart;
  const double span = static_cast<double>(h.counts.size()) * stats::kBinLetters;
  return kLeft + kPlotWidth * (start - first) / span;
}

double yOf(double count, double top) { return kTop + kPlotHeight * (1 - count / top); }

// The top of the count axis: four ticks of 1, 2 or 5 times a power of ten.
double niceTop(double highest) {
  for (double scale = 1; scale < 1e12; scale *= 10)
    for (double step : {1.0, 2.0, 5.0})
      if (highest <= 4 * step * scale) return 4 * step * scale;
  return highest;
}

void writeAxes(std::ostream& svg, const stats::CentralResult& r, double top) {
  const stats::PositionHistogram& h = r.histogram;
  const double baseline = kTop + kPlotHeight;
  svg << "<g font-family=\"sans-serif\" font-size=\"11\" fill=\"#333\" stroke-width=\"1\">"
      << "<line x1=\"" << kLeft << "\" y1=\"" << kTop << "\" x2=\"" << kLeft << "\" y2=\"" << baseline
      << "\" stroke=\"#333\"/><line x1=\"" << kLeft << "\" y1=\"" << baseline << "\" x2=\"" << kLeft + kPlotWidth
      << "\" y2=\"" << baseline << "\" stroke=\"#333\"/>";
  for (int k = 0; k <= 4; ++k) {
    const double y = yOf(top * k / 4, top);
    svg << "<line x1=\"" << kLeft - 4 << "\" y1=\"" << number(y) << "\" x2=\"" << kLeft << "\" y2=\"" << number(y)
        << "\" stroke=\"#333\"/><text x=\"" << kLeft - 6 << "\" y=\"" << number(y + 4) << "\" text-anchor=\"end\">"
        << formats::fixedPoint(top * k / 4, top < 4 ? 1 : 0) << "</text>";
  }
  // Offsets from the centre at the centre and both ends.
  const double centre = (h.positions - 1) / 2.0;
  for (double start : {0.0, centre, static_cast<double>(h.positions - 1)}) {
    const double x = xOf(h, start + 0.5);
    svg << "<line x1=\"" << number(x) << "\" y1=\"" << baseline << "\" x2=\"" << number(x) << "\" y2=\"" << baseline + 4
        << "\" stroke=\"#333\"/><text x=\"" << number(x) << "\" y=\"" << baseline + 16 << "\" text-anchor=\"middle\">"
        << formats::fixedPoint(h.offsetOf(start), 0) << "</text>";
  }
  svg << "<text x=\"" << number(kLeft + kPlotWidth / 2) << "\" y=\"" << baseline + 34
      << "\" text-anchor=\"middle\">site start from the centre (letters)</text>"
      << "<text transform=\"translate(12 " << number(kTop + kPlotHeight / 2)
      << ") rotate(-90)\" text-anchor=\"middle\">best sites</text></g>";
}

bool shaded(const stats::CentralResult& r) { return r.best.central(); }

void writeWindow(std::ostream& svg, const stats::CentralResult& r) {
  if (!shaded(r)) return;
  const int from = (r.positions - r.best.width) / 2;
  const double x0 = xOf(r.histogram, from), x1 = xOf(r.histogram, from + r.best.width);
  svg << "<rect class=\"central-window\" x=\"" << number(x0) << "\" y=\"" << kTop << "\" width=\"" << number(x1 - x0)
      << "\" height=\"" << kPlotHeight << "\" fill=\"" << kWindowColour << "\"/>";
}

void writeBars(std::ostream& svg, const stats::PositionHistogram& h, double top) {
  for (std::size_t b = 0; b < h.counts.size(); ++b) {
    if (h.counts[b] == 0) continue;
    const double start = h.firstStart + static_cast<double>(b) * stats::kBinLetters;
    const double x = xOf(h, start) + 0.5, w = xOf(h, start + stats::kBinLetters) - xOf(h, start) - 1;
    const double y = yOf(static_cast<double>(h.counts[b]), top);
    svg << "<rect class=\"bin\" x=\"" << number(x) << "\" y=\"" << number(y) << "\" width=\"" << number(w)
        << "\" height=\"" << number(kTop + kPlotHeight - y) << "\" fill=\"" << kBarColour << "\"/>";
  }
}

void writeExpected(std::ostream& svg, const stats::PositionHistogram& h, double top) {
  svg << "<polyline class=\"expected\" fill=\"none\" stroke=\"" << kExpectedColour
      << "\" stroke-width=\"1.5\" points=\"";
  for (std::size_t b = 0; b < h.expected.size(); ++b) {
    const double start = h.firstStart + static_cast<double>(b) * stats::kBinLetters;
    const double y = yOf(h.expected[b], top);
    svg << (b ? " " : "") << number(xOf(h, start)) << ',' << number(y) << ' '
        << number(xOf(h, start + stats::kBinLetters)) << ',' << number(y);
  }
  svg << "\"/>";
}

void writeLegend(std::ostream& svg, const stats::CentralResult& r) {
  const std::string first = std::to_string(r.sites) + " best sites; the red line: uniform positions";
  std::string second = "no width tried";
  if (r.best.width > 0)
    second = std::string(shaded(r) ? "central" : "not central; best") + " window: " + std::to_string(r.best.width) +
             " positions, " + std::to_string(r.best.inside) +
             " sites, p = " + formats::scientificFromLog10(r.best.log10P);
  svg << "<g font-family=\"sans-serif\" font-size=\"11\" fill=\"#333\"><text x=\"" << kLeft << "\" y=\"14\">"
      << pages::escape(first) << "</text><text class=\"verdict\" x=\"" << kLeft << "\" y=\"30\">"
      << pages::escape(second) << "</text></g>";
}

}  // namespace

std::string centralHistogramSvg(const stats::CentralResult& r, const std::string& label) {
  double highest = 1;
  for (std::size_t b = 0; b < r.histogram.counts.size(); ++b)
    highest = std::max({highest, static_cast<double>(r.histogram.counts[b]), r.histogram.expected[b]});
  const double top = niceTop(highest);
  const double width = kLeft + kPlotWidth + kRight, height = kTop + kPlotHeight + kBottom;
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"central-histogram\" role=\"img\" width=\"" << number(width)
      << "\" height=\"" << number(height) << "\" viewBox=\"0 0 " << number(width) << ' ' << number(height)
      << "\"><title>Best sites of " << pages::escape(label) << " by position</title>";
  writeWindow(svg, r);
  writeBars(svg, r.histogram, top);
  writeExpected(svg, r.histogram, top);
  writeAxes(svg, r, top);
  writeLegend(svg, r);
  svg << "</svg>";
  return svg.str();
}

}  // namespace pages
