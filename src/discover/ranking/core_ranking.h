// The ranking order of the candidates, preferring the informative core. Two
// motifs that share their sites are one factor seen twice: a core and the
// same core inside flanks that say little, or a motif and a shifted copy. Of
// such a pair the E-value favours whichever happens to fit its own sites
// best, often the longer; the one kept first is instead the one whose sites
// separate the sets better, the better significance per site (-log10 p' over
// the primary sequences with a site), and the longer one only when it beats
// the shorter one by more than kLongerMargin.
#pragma once

#include <cstddef>
#include <vector>

#include "discover/testing/significance.h"
#include "formats/fasta.h"

namespace discover {

// The significance per site must be this much better (as a factor) for a
// longer motif to take the place of a shorter one that shares its sites.
constexpr double kLongerMargin = 1.1;
// Site sharing is judged on at most this many letters of the tested primary
// sequences (every k-th sequence of a larger set).
constexpr std::size_t kSharingLetters = 400000;

// -log10 p' (p corrected for the choice of threshold) over the primary
// sequences with a site; 0 without one.
double significancePerSite(const stats::MotifResult& test);

// The best window of a motif in every sequence: its first letter, or -1 when
// it does not reach the motif's threshold.
struct BestSites {
  std::vector<long long> start;
  long long width = 0;
  std::size_t count = 0;  // sequences with a site
};
BestSites bestSites(const Candidate& candidate, const std::vector<FastaRecord>& sequences, bool bothStrands);

// Whether two motifs share their sites: in at least half of the sequences
// where each has a site, so has the other, overlapping it by at least half of
// the shorter width (and in 2 sequences at least).
bool shareSites(const BestSites& a, const BestSites& b);

// Whether `later` (ranked after `earlier` by ranksBefore) takes its place:
// they share sites and `later` is better per site (by kLongerMargin when it
// is the longer).
bool takesPlaceOf(const Candidate& later, const BestSites& laterSites, const Candidate& earlier,
                  const BestSites& earlierSites);

// The candidates in ranking order: by ranksBefore; then, going down, the
// candidate in each place gives it to the later one that takes its place
// (takesPlaceOf, the best per site of several), the others moving down one.
// Sites are found on `primary` (thinned to kSharingLetters letters).
std::vector<std::size_t> rankingOrder(const std::vector<Candidate>& candidates, const std::vector<FastaRecord>& primary,
                                      bool bothStrands, int threads);

}  // namespace discover
