// Which searches a discovery runs: on every sequence set (the primary one and
// the decoy), every motif length with a quarter of the length as the mismatch
// allowance and, where its estimated cost is within a small budget, the
// engine's default of half of it too, or the user's one allowance; and the
// word searches (discover/search/word_search.h) of kWordLengths.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/run_config.h"
#include "formats/fasta.h"

namespace discover {

// The engine's search of similar windows, or the enriched words of one length.
enum class SearchKind { Engine, Words };

// The lengths of the word searches: the cores of most binding sites, short
// enough for every word's count to be kept; and the gapped word searches,
// two halves of kGappedWordLength / 2 letters 1 to kLongestWordGap letters
// apart, as the half-sites of dimeric factors are.
constexpr int kWordLengths[] = {8, 10};
constexpr int kGappedWordLength = 8;
constexpr int kLongestWordGap = 6;

struct Search {
  SearchKind kind = SearchKind::Engine;
  int set = 0;  // the sequence set searched: 0 the primary, 1.. the decoys
  int length = 0;
  int mismatches = 0;
  int gap = 0;                 // of a word search: letters between the word's halves
  int widest = 0;              // of a word search: its motifs' most columns, the longest length searched
  bool engineDefault = false;  // the allowance is the engine's default, length / 2
  double cost = 0;             // estimated: windows on both strands times initial clusters (or words counted)
  std::string name;            // "l10_m2", "decoy1_l10_m2", "words8", "words8_gap3": names its files under runs/
};

// What the user sets for every search: one allowance instead of the plan's,
// the engine's site threshold and strands.
struct SearchSettings {
  std::optional<int> mismatches;
  double threshold = RunConfig().scanThreshold;  // the engine's default
  bool forwardOnly = false;
};

struct Plan {
  SearchSettings settings;            // of every search
  std::vector<std::string> setNames;  // "primary", "decoy1", ...
  std::vector<Search> searches;       // by set, then length as given, the smaller allowance first
  std::vector<Search> skipped;        // default allowances left out for their cost
};

// Windows on both strands times the engine's initial clusters: at the default
// allowance nearly every window joins every cluster, so time and memory grow
// with this number.
double searchCost(long long usableWindows, int clusters);

// The largest cost at which the default allowance is still searched: about
// 12,500 letters (60 sequences of 200, 20 of 600), where such a search takes
// about a second. Beyond it the default allowance costs 4 to 10 times the
// quarter allowance and rarely finds what that and the refinement miss
// (docs/benchmarks.md, "The plan").
constexpr double kDefaultAllowanceBudget = 1.0e6;

// What a search looks for, as the page and the progress say it: "length 12,
// 3 mismatches", "length 8, 4 mismatches (the engine's default)", "words of 8
// letters, 1 mismatch", "words of 8 letters in two halves 3 apart, 1 mismatch".
std::string searchDescription(const Search& search);

// A search's share of the work for the progress: its cost, and for the
// allowance of a quarter of the length a twentieth of it (on 500 fly
// windows of 350 letters such searches took 0.3 to 0.6 s, the default
// allowance 9 to 16 s). Never below 1.
double expectedWork(const Search& search);

// The plan for `sets` (the primary set first), with the decoys named
// "decoy1", "decoy2", ...
Plan planSearches(const std::vector<int>& lengths, const std::vector<const std::vector<FastaRecord>*>& sets,
                  const SearchSettings& settings = {});

}  // namespace discover
