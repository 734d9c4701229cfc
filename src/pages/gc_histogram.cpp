#include "pages/gc_histogram.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>

#include "formats/numbers.h"

namespace pages {

namespace {

constexpr double kLeft = 50, kTop = 30, kBottom = 40, kRight = 12;
constexpr double kPlotHeight = 160;
constexpr double kBinWidth = 9;  // two bars of 4 and a gap of 1
constexpr double kBarWidth = 4;
const char* const kPeakColour = "#2166ac";
const char* const kBackgroundColour = "#a6a6a6";

std::string number(double value) { return formats::fixedPoint(value, 1); }

struct Shares {
  std::array<double, stats::kGcBins> peaks{}, background{};
  int peakTotal = 0, backgroundTotal = 0;
  int first = 0, last = -1;  // the bins drawn
  double highest = 0;        // the largest share
};

Shares sharesOf(const stats::BackgroundDraw& draw) {
  Shares s;
  for (const stats::GcBinCounts& bin : draw.bins) s.peakTotal += bin.peaks, s.backgroundTotal += bin.drawn;
  s.first = stats::kGcBins;
  for (int b = 0; b < stats::kGcBins; ++b) {
    s.peaks[b] = s.peakTotal ? 100.0 * draw.bins[b].peaks / s.peakTotal : 0;
    s.background[b] = s.backgroundTotal ? 100.0 * draw.bins[b].drawn / s.backgroundTotal : 0;
    if (draw.bins[b].peaks + draw.bins[b].drawn > 0) s.first = std::min(s.first, b), s.last = b;
    s.highest = std::max({s.highest, s.peaks[b], s.background[b]});
  }
  if (s.last < 0) s.first = 0;
  return s;
}

// A step of the share axis giving four or five ticks.
double tickStep(double highest) {
  for (const double step : {0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 25.0})
    if (highest <= 5 * step) return step;
  return 50;
}

void writeAxes(std::ostream& svg, const Shares& s, double top, double bins) {
  const double baseline = kTop + kPlotHeight;
  svg << "<g font-family=\"sans-serif\" font-size=\"11\" fill=\"#333\">";
  svg << "<line x1=\"" << kLeft << "\" y1=\"" << kTop << "\" x2=\"" << kLeft << "\" y2=\"" << baseline
      << "\" stroke=\"#333\"/><line x1=\"" << kLeft << "\" y1=\"" << baseline << "\" x2=\""
      << number(kLeft + bins * kBinWidth) << "\" y2=\"" << baseline << "\" stroke=\"#333\"/>";
  const double step = tickStep(top);
  for (double v = 0; v <= top + 1e-9; v += step) {
    const double y = baseline - kPlotHeight * v / top;
    svg << "<line x1=\"" << kLeft - 4 << "\" y1=\"" << number(y) << "\" x2=\"" << kLeft << "\" y2=\"" << number(y)
        << "\" stroke=\"#333\"/><text x=\"" << kLeft - 6 << "\" y=\"" << number(y + 4) << "\" text-anchor=\"end\">"
        << formats::fixedPoint(v, step < 1 ? 1 : 0) << "</text>";
  }
  svg << "<text transform=\"translate(12 " << number(kTop + kPlotHeight / 2)
      << ") rotate(-90)\" text-anchor=\"middle\">% of windows</text>";
  for (int b = s.first; b <= s.last + 1; ++b) {
    if (b % 5 != 0) continue;
    const double x = kLeft + (b - s.first) * kBinWidth;
    svg << "<line x1=\"" << number(x) << "\" y1=\"" << baseline << "\" x2=\"" << number(x) << "\" y2=\"" << baseline + 4
        << "\" stroke=\"#333\"/><text x=\"" << number(x) << "\" y=\"" << baseline + 16 << "\" text-anchor=\"middle\">"
        << b << "</text>";
  }
  svg << "<text x=\"" << number(kLeft + bins * kBinWidth / 2) << "\" y=\"" << baseline + 34
      << "\" text-anchor=\"middle\">GC content of the window (%)</text></g>";
}

void writeLegend(std::ostream& svg, const Shares& s, double width) {
  const double x = width - kRight - 230;
  svg << "<g font-family=\"sans-serif\" font-size=\"11\" fill=\"#333\">"
      << "<rect x=\"" << number(x) << "\" y=\"8\" width=\"10\" height=\"10\" fill=\"" << kPeakColour << "\"/>"
      << "<text x=\"" << number(x + 14) << "\" y=\"17\">peaks (" << s.peakTotal << ")</text>"
      << "<rect x=\"" << number(x + 110) << "\" y=\"8\" width=\"10\" height=\"10\" fill=\"" << kBackgroundColour
      << "\"/>"
      << "<text x=\"" << number(x + 124) << "\" y=\"17\">background (" << s.backgroundTotal << ")</text></g>";
}

void writeBar(std::ostream& svg, double x, double share, double top, const char* colour) {
  if (share <= 0) return;
  const double h = kPlotHeight * share / top;
  svg << "<rect x=\"" << number(x) << "\" y=\"" << number(kTop + kPlotHeight - h) << "\" width=\"" << kBarWidth
      << "\" height=\"" << number(h) << "\" fill=\"" << colour << "\"/>";
}

}  // namespace

std::string gcHistogramSvg(const stats::BackgroundDraw& draw) {
  const Shares s = sharesOf(draw);
  // At least 30 bins wide, so that a narrow histogram still has room for its legend.
  const double bins = std::max(30, s.last - s.first + 1);
  const double width = kLeft + bins * kBinWidth + kRight;
  const double height = kTop + kPlotHeight + kBottom;
  const double step = tickStep(s.highest);
  const double top = std::max(step, std::ceil(s.highest / step) * step);
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"gc-histogram\" role=\"img\" width=\"" << number(width)
      << "\" height=\"" << number(height) << "\" viewBox=\"0 0 " << number(width) << ' ' << number(height)
      << "\"><title>GC content of the peak windows and of the background</title>";
  writeAxes(svg, s, top, bins);
  for (int b = s.first; b <= s.last; ++b) {
    const double x = kLeft + (b - s.first) * kBinWidth;
    writeBar(svg, x, s.peaks[b], top, kPeakColour);
    writeBar(svg, x + kBarWidth, s.background[b], top, kBackgroundColour);
  }
  writeLegend(svg, s, width);
  svg << "</svg>";
  return svg.str();
}

}  // namespace pages
