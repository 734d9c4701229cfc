// Refining a motif's matrix on the sequences it was found in, by expectation
// maximisation under the zero-or-one-occurrence-per-sequence (ZOOPS) model of
// Bailey and Elkan (1994, 1995): each sequence holds at most one site, with
// probability gamma, at any of its windows on either strand alike; every other
// letter comes from the background (the control's Markov model, each letter
// given the letters before it). The E-step gives every window the posterior
// probability that it is the site; the M-step makes the matrix the expected
// letter counts of those windows (with a pseudo-count of one letter spread as
// the background's letters are) and gamma their sum over the sequences.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/markov_model.h"
#include "formats/fasta.h"
#include "formats/motif.h"

namespace discover {

// The sequences the refinement reads: coded (A, C, G, T as 0 to 3, any other
// letter 4), with the background's log-probability of every window's letters.
struct EmSample {
  std::vector<std::uint8_t> letters;     // every sequence end to end
  std::vector<double> backgroundPrefix;  // sum of the natural-log background probabilities of the letters before
  std::vector<std::size_t> starts;       // of each sequence in `letters`, and the end
  std::array<double, formats::kBases> baseFrequencies{};  // of the background, for the pseudo-counts

  std::size_t size() const { return starts.size() - 1; }
  std::size_t longest() const;
};

// The sequences of `records` as the refinement reads them, under `background`
// of order `order`; when they hold more than `maxLetters` letters, every k-th
// sequence only, k the smallest step that keeps them within it (the first
// sequence always kept), so that the work stays bounded whatever the set's size.
EmSample emSample(const std::vector<FastaRecord>& records, const MarkovModel& background, int order,
                  std::size_t maxLetters);

struct ZoopsSettings {
  int maxIterations = 8;
  double tolerance = 1e-3;  // stop once no frequency moves more than this
  bool bothStrands = true;
  // The first E-step uses the initial matrix with every frequency raised to
  // this power (then normalised): a search of many mismatches gives columns
  // that lean only slightly to their letters, which would spread the first
  // posteriors over every window and leave the EM where it began.
  double startSharpening = 3.0;
};

struct ZoopsResult {
  std::vector<formats::Column> frequencies;  // with the pseudo-count
  std::vector<formats::Column> counts;       // expected letter counts of the sites, without it
  double expectedSites = 0;                  // the sum of the posteriors: gamma times the sequences
  int iterations = 0;
};

// Refines the matrix of letter counts `initialCounts` (one column per
// position, with the pseudo-count added) starting from the share `gamma` of
// sequences with a site. A sample without a window of the motif's width
// returns the initial matrix with no sites.
ZoopsResult refineZoops(const std::vector<formats::Column>& initialCounts, double gamma, const EmSample& sample,
                        const ZoopsSettings& settings);

}  // namespace discover
