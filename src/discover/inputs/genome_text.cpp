#include "discover/inputs/genome_text.h"

namespace discover {

std::string indexOriginText(const GenomeRun& run) {
  switch (run.indexOrigin) {
    case formats::IndexOrigin::Existing: return "index found beside it";
    case formats::IndexOrigin::BuiltBeside: return "index built beside it";
    case formats::IndexOrigin::BuiltInMemory: break;
  }
  return "index built in memory (the directory of " + run.genomePath + " cannot be written to: " + run.inMemoryReason +
         "; it is built again by every run)";
}

std::string windowCountsText(const stats::WindowSet& set) {
  std::string text = std::to_string(set.peaks) + " peaks, " + std::to_string(set.windows.size()) + " windows";
  std::string reasons;
  auto add = [&reasons](int count, const std::string& why) {
    if (count > 0) reasons += (reasons.empty() ? "" : ", ") + std::to_string(count) + " " + why;
  };
  add(set.overlapping, "overlapping the window of a stronger peak");
  add(set.offChromosome, "running past a chromosome end");
  add(set.excluded, "in an excluded region");
  add(set.beyondTop, "beyond --top-peaks");
  return reasons.empty() ? text : text + "; left out: " + reasons;
}

}  // namespace discover
