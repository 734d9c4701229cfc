// What a background draw reports: the GC table, the overview sentence, the
// notes on short bins, and the side-by-side histogram as SVG.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "pages/gc_histogram.h"
#include "stats/background_summary.h"

using stats::BackgroundDraw;

namespace {

// Peaks 2 at 40 %, 1 at 42 %, none at 99 %; 1 wanted at 99 % that only a
// stand-in at 60 % filled, and 2 at 98 % of which 1 was found and none stood in.
BackgroundDraw sampleDraw() {
  BackgroundDraw draw;
  draw.bins[40] = {2, 4, 4};
  draw.bins[42] = {1, 2, 2};
  draw.bins[60] = {0, 0, 1};
  draw.bins[98] = {1, 2, 1};
  draw.bins[99] = {0, 1, 0};
  draw.wanted = 9;
  draw.peaksWithoutLetters = 1;
  draw.candidates = 5000;
  draw.windows.resize(8);
  draw.shortfalls = {{98, 2, 1, 0}, {99, 1, 0, 1}};
  return draw;
}

std::vector<std::string> matches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    found.push_back((*it)[1]);
  return found;
}

}  // namespace

TEST(BackgroundSummary, TableOverviewAndNotes) {
  const BackgroundDraw draw = sampleDraw();
  EXPECT_EQ(
      stats::backgroundGcTable(draw),
      "gc_percent\tpeak_windows\twanted\tdrawn\n40\t2\t4\t4\n42\t1\t2\t2\n60\t0\t0\t1\n98\t1\t2\t1\n99\t0\t1\t0\n");
  EXPECT_EQ(stats::backgroundOverview(draw),
            "8 background windows of 9 wanted, GC-matched in 1 % bins to 5 peak windows, from 5000 random genomic "
            "windows looked at.");
  EXPECT_EQ(stats::backgroundNotes(draw),
            (std::vector<std::string>{
                "1 peak windows hold no A, C, G or T and take no part in the GC matching.",
                "GC 98 %: 1 of 2 windows found among 5000 candidates; the background lacks 1 windows of this bin.",
                "GC 99 %: 0 of 1 windows found among 5000 candidates; 1 taken from the nearest GC bins instead."}));
  EXPECT_TRUE(stats::backgroundNotes(BackgroundDraw()).empty());
}

TEST(GcHistogramSvg, BarsShowTheSharesOfEachSet) {
  const std::string svg = pages::gcHistogramSvg(sampleDraw());
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_NE(svg.find("peaks (4)"), std::string::npos);
  EXPECT_NE(svg.find("background (8)"), std::string::npos);
  // Bars: peaks at 40, 42, 98 (blue); background at 40, 42, 60, 98 (grey).
  const std::vector<std::string> blue = matches(svg, "height=\"([0-9.]+)\" fill=\"#2166ac\"");
  const std::vector<std::string> grey = matches(svg, "height=\"([0-9.]+)\" fill=\"#a6a6a6\"");
  ASSERT_EQ(blue.size(), 4u);  // three bars, then the legend's swatch
  ASSERT_EQ(grey.size(), 5u);
  // Shares 50 % and 25 % of the peaks on an axis to 50 %: 160 and 80 pixels.
  EXPECT_EQ(blue[0], "160.0");
  EXPECT_EQ(blue[1], "80.0");
  EXPECT_EQ(blue[2], "80.0");
  EXPECT_EQ(grey[0], "160.0");  // 4 of 8 background windows
  EXPECT_EQ(grey[2], "40.0");   // 1 of 8 at 60 %
  // Bins from 40 to 98 (the last holding a window) are drawn, the axis
  // numbered every 5 %.
  const std::vector<std::string> ticks = matches(svg, "text-anchor=\"middle\">([0-9]+)</text>");
  EXPECT_EQ(ticks, (std::vector<std::string>{"40", "45", "50", "55", "60", "65", "70", "75", "80", "85", "90", "95"}));

  const std::string empty = pages::gcHistogramSvg(BackgroundDraw());
  EXPECT_TRUE(matches(empty, "height=\"([0-9.]+)\" fill=\"#a6a6a6\"").size() == 1u);  // the swatch only
}
