// Running the searches of a plan: each through the library, in one process,
// several at once where that pays, with results that do not depend on the
// number of threads.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "discover/search/plan.h"
#include "engine/markov_model.h"
#include "formats/fasta.h"
#include "formats/report_data.h"

namespace discover {

// The sequences of one set as its searches read them, with both models and
// (for the word searches) their control.
struct SearchSet {
  std::vector<FastaRecord> sequences;
  std::vector<FastaRecord> control;
  MarkovModel foreground;
  MarkovModel background;
  int backgroundOrder = 0;
};

struct SearchOutcome {
  formats::Report report;
  double seconds = 0;
};

struct SearchCallbacks {
  // Before a search starts, as it goes on (the share of its initial clusters
  // refined, 0 to 1), and once it has ended with its outcome; never two calls
  // at once.
  std::function<void(std::size_t search)> started;
  std::function<void(std::size_t search, double fraction)> progressed;
  std::function<void(std::size_t search, const SearchOutcome& outcome)> finished;
};

// Where the side files of the engine go: unset for none, else a folder that
// receives NAME.initcore.txt and NAME.initcluster.txt for each search.
using SideFileFolder = std::optional<std::string>;

// Runs every search of `plan` on its set and returns the outcomes in the
// plan's order: up to `threads` searches at a time, the costliest first, each
// with its share of the threads. Exceptions of a search are rethrown once all
// have ended.
std::vector<SearchOutcome> runSearches(const Plan& plan, const std::vector<SearchSet>& sets, int threads,
                                       const SideFileFolder& sideFiles, const SearchCallbacks& callbacks);

}  // namespace discover
