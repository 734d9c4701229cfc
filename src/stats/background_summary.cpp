#include "stats/background_summary.h"

namespace stats {

std::string backgroundGcTable(const stats::BackgroundDraw& draw) {
  std::string text = "gc_percent\tpeak_windows\twanted\tdrawn\n";
  for (int b = 0; b < stats::kGcBins; ++b) {
    const stats::GcBinCounts& bin = draw.bins[b];
    if (bin.peaks == 0 && bin.wanted == 0 && bin.drawn == 0) continue;
    text += std::to_string(b) + '\t' + std::to_string(bin.peaks) + '\t' + std::to_string(bin.wanted) + '\t' +
            std::to_string(bin.drawn) + '\n';
  }
  return text;
}

std::string backgroundOverview(const stats::BackgroundDraw& draw) {
  int peakWindows = draw.peaksWithoutLetters;
  for (const stats::GcBinCounts& bin : draw.bins) peakWindows += bin.peaks;
  return std::to_string(draw.windows.size()) + " background windows of " + std::to_string(draw.wanted) +
         " wanted, GC-matched in 1 % bins to " + std::to_string(peakWindows) + " peak windows, from " +
         std::to_string(draw.candidates) + " random genomic windows looked at.";
}

std::vector<std::string> backgroundNotes(const stats::BackgroundDraw& draw) {
  std::vector<std::string> sentences;
  if (draw.peaksWithoutLetters > 0)
    sentences.push_back(std::to_string(draw.peaksWithoutLetters) +
                        " peak windows hold no A, C, G or T and take no part in the GC matching.");
  for (const stats::Shortfall& s : draw.shortfalls) {
    std::string sentence = "GC " + std::to_string(s.bin) + " %: " + std::to_string(s.found) + " of " +
                           std::to_string(s.wanted) + " windows found among " + std::to_string(draw.candidates) +
                           " candidates";
    if (s.standIns > 0) sentence += "; " + std::to_string(s.standIns) + " taken from the nearest GC bins instead";
    const int lacking = s.wanted - s.found - s.standIns;
    if (lacking > 0) sentence += "; the background lacks " + std::to_string(lacking) + " windows of this bin";
    sentences.push_back(sentence + ".");
  }
  return sentences;
}

}  // namespace stats
