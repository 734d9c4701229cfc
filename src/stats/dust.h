// Low-complexity DNA by the symmetric DUST score (Morgulis, Gertz, Schaffer
// and Agarwala, J Comput Biol 13:1028, 2006), so that simple repeats can be
// masked before motif discovery.
//
// The score of a stretch x of l triplets (l + 2 letters, overlapping
// triplets) is S(x) = sum over the 64 triplets t of c_t (c_t - 1) / 2, divided
// by l - 1, where c_t counts t in x (0 for a single triplet). x is a perfect
// interval when S(x) > level / 10 and no stretch inside x scores more than x.
// Every letter of a perfect interval of at most `window` letters is masked.
// Triplets never span a letter other than A, C, G or T: such letters cut the
// sequence into stretches that are scored apart.
#pragma once

#include <string>
#include <vector>

#include "formats/fasta.h"

namespace stats {

struct DustSettings {
  int window = 64;  // letters; at least 4
  int level = 20;   // score threshold times 10; at least 1
  // maskLowComplexity leaves masked stretches shorter than this as they are
  // (a motif search has nothing to fear from a stretch shorter than its
  // motifs); 1 masks every one.
  int shortestStretch = 1;
};

// Whether each letter of `letters` lies in a perfect interval.
std::vector<bool> lowComplexityMask(const std::string& letters, const DustSettings& settings);

// Turns every letter lowComplexityMask marks into N, in stretches of at least
// shortestStretch letters; returns how many were not N already.
long long maskLowComplexity(std::string& letters, const DustSettings& settings);

// maskLowComplexity on every record, `threads` records at a time; returns the
// letters masked in all.
long long maskLowComplexity(std::vector<FastaRecord>& records, const DustSettings& settings, int threads);

}  // namespace stats
