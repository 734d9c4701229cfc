// Refinement of the searches' motifs (docs/zelkova-discover.md, "Refinement"):
// each motif's count matrix is refined by ZOOPS EM (discover/search/zoops.h) on the
// sequences it was searched in, against their control's background model, and
// its flanks of little information are cut. The word searches refine their
// seeds so, and the testing stage the best motifs of every search
// (discover/testing/refinement.h).
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <vector>

#include "discover/search/zoops.h"
#include "formats/motif.h"
#include "formats/report_data.h"

namespace discover {

// Flank columns carrying less information than this (bits, against even
// letters) are cut, down to kMinCoreWidth columns.
constexpr double kCoreBits = 0.3;
constexpr std::size_t kMinCoreWidth = 6;  // the shortest motif the searches look for
// The refinement reads at most this many letters of a set (every k-th
// sequence of a larger one): 1000 peaks of 200 letters, enough sites to
// estimate a matrix, at a cost that does not grow with the set.
constexpr std::size_t kRefinementLetters = 200000;
// A refinement that puts fewer sites than this in the sample is given up.
constexpr double kMinRefinedSites = 3.0;

// The information of a column of frequencies: 2 + sum of p log2 p.
double informationBits(const formats::Column& frequencies);

// The columns kept, [first, last): going inwards from both ends, the less
// informative end column is cut while it carries less than `minBits` and
// more than `minWidth` columns are left.
struct ColumnSpan {
  std::size_t first = 0, last = 0;
};
ColumnSpan informativeCore(const std::vector<formats::Column>& frequencies, double minBits, std::size_t minWidth);

// `engine` (a search's motif) refined on `sample`, which holds
// `searchedSequences` sequences' worth of the searched set, and trimmed to
// its core (and, beyond `maxWidth` columns, cut at its less informative
// ends): the report's motif with the expected site counts rounded as its
// counts (every column adding up to the number of sites, as a report's do),
// their consensus and the number of sites; nothing when the
// refinement puts fewer than kMinRefinedSites sites in the sample.
std::optional<formats::ReportMotif> refinedMotif(const formats::ReportMotif& engine, const EmSample& sample,
                                                 std::size_t searchedSequences, bool bothStrands,
                                                 std::size_t maxWidth = std::numeric_limits<std::size_t>::max());

// A column of expected letter counts as whole counts adding up to `total`
// (every column of a report adds up to its number of sites): each rounded
// down, the rest given one by one to the largest remainders, the earlier
// letter first of equal ones.
formats::CountColumn roundedColumn(const formats::Column& expected, long long total);

}  // namespace discover
