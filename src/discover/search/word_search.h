// The word searches of a discovery: the most enriched words of one length
// (discover/search/word_seeds.h), each widened by flanks, refined by ZOOPS EM on the
// set's sequences against its background model and trimmed to its core
// (discover/search/refine.h), reported as a search's motifs are, so that they are
// tested, refined and ranked with the engine's.
#pragma once

#include <cstddef>
#include <vector>

#include "discover/search/plan.h"
#include "engine/markov_model.h"
#include "formats/fasta.h"
#include "formats/report_data.h"

namespace discover {

// The seed words of each word search.
constexpr std::size_t kWordSeeds = 5;
// Columns added on either side of a seed word before its refinement, so that
// a motif longer than the word can grow into them (trimming cuts those that
// stay uninformative).
constexpr int kSeedFlank = 2;
// A word search counts words in at most this many letters of the set (every
// k-th sequence of a larger one) and twice as many of its control, and
// refines its seeds on at most kSeedRefinementLetters: enough for a motif in
// a tenth of the sequences to stand out, at a cost that stops growing with
// the set (the best candidates are refined again on more, discover/search/refine.h).
constexpr std::size_t kWordCountLetters = 1000000;
constexpr std::size_t kSeedRefinementLetters = 100000;

// The sequences a word search reads: the set's searched sequences, its
// control's and the control's background model.
struct WordSearchInput {
  const std::vector<FastaRecord>* sequences = nullptr;
  const std::vector<FastaRecord>* control = nullptr;
  const MarkovModel* background = nullptr;
  int backgroundOrder = 0;
};

// The report of word search `search` (search.length letters, search.gap
// apart in two halves), its motifs ranked as their seeds were, none wider
// than search.widest, each with its sites at the engine's matching threshold
// on the sequences its seeds were refined on (which the report's parameters
// describe); none when no word is enriched.
formats::Report wordSearch(const Search& search, const SearchSettings& settings, const WordSearchInput& input);

}  // namespace discover
