// Times the steps from a peak file and a genome to the peak windows and their
// GC-matched background, as zelkova-discover takes them: opening the genome
// (finding or building its index), reading the peaks, cutting the windows,
// reading their letters, drawing the background and reading its letters.
//
// usage: zelkova-bench-background GENOME PEAKS [RATIO [SEED]]
// Prints one line per step (seconds), then the background's overview and
// notes; writes nothing else.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "formats/genome.h"
#include "formats/peaks.h"
#include "stats/background_summary.h"
#include "stats/gc_background.h"
#include "stats/genome_intervals.h"
#include "stats/peak_windows.h"

namespace {

class StepClock {
 public:
  void lap(const char* step) {
    const auto now = std::chrono::steady_clock::now();
    std::printf("%-28s %8.2f s\n", step, std::chrono::duration<double>(now - last_).count());
    last_ = now;
  }

 private:
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

const char* originName(formats::IndexOrigin origin) {
  switch (origin) {
    case formats::IndexOrigin::Existing: return "existing index";
    case formats::IndexOrigin::BuiltBeside: return "index built beside";
    case formats::IndexOrigin::BuiltInMemory: return "index built in memory";
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: %s GENOME PEAKS [RATIO [SEED]]\n", argv[0]);
    return 1;
  }
  try {
    stats::BackgroundOptions options;
    if (argc > 3) options.ratio = std::atof(argv[3]);
    if (argc > 4) options.seed = std::strtoull(argv[4], nullptr, 10);
    StepClock clock;
    formats::IndexedGenome g(argv[1]);
    clock.lap(originName(g.indexOrigin()));
    const formats::PeakFile file = formats::readPeakFile(argv[2]);
    clock.lap("peaks read");
    const stats::WindowSet set = stats::makeWindows(file, g, {}, {});
    clock.lap("windows cut");
    const std::vector<FastaRecord> peakRecords =
        stats::fetchRecords(g, stats::regionsOf(set.windows), options.lowerCase);
    clock.lap("window letters read");
    const stats::IntervalIndex keepOut(stats::keepOutZones(file, {}));
    const stats::BackgroundDraw draw = stats::drawBackground(g, peakRecords, keepOut, options);
    clock.lap("background drawn");
    const std::vector<FastaRecord> backgroundRecords =
        stats::fetchRecords(g, stats::regionsOf(draw), options.lowerCase);
    clock.lap("background letters read");
    std::printf("%zu peaks, %zu windows (%d overlapping, %d off a chromosome end)\n", file.peaks.size(),
                set.windows.size(), set.overlapping, set.offChromosome);
    std::printf("%s\n", stats::backgroundOverview(draw).c_str());
    for (const std::string& note : stats::backgroundNotes(draw)) std::printf("%s\n", note.c_str());
    return backgroundRecords.size() == draw.windows.size() ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Error: %s\n", error.what());
    return 1;
  }
}
