// Central enrichment: are a motif's sites concentrated at the centres of
// sequences of one length, as a directly bound factor's are at the summits of
// its peaks? From the start of the best site of each sequence, the central
// window of start positions that holds the most sites beyond what uniform
// positions predict, tested by the binomial upper tail and corrected for the
// widths tried (the approach of CentriMo, Bailey and Machanick 2012); and a
// histogram of the site positions with the uniform expectation per bin.
//
// Positions: a site of width w in a sequence of length L starts at one of
// n = L - w + 1 positions. A central window of width W holds the W starts
// from (n - W) / 2 (rounded down) on. Under uniform positions a best site
// falls there with probability W / n.
#pragma once

#include <vector>

namespace stats {

// Widths tried: every multiple of kWidthStep letters up to half the n
// positions, so 9 widths (10 to 90) for 200-letter windows and a motif of
// 10; none when n < 2 kWidthStep. A wider window is not central in any
// useful sense: it would only tell that the sites keep off the very ends,
// as they do when a site, or the DNA it was cut with, cannot reach them.
constexpr int kWidthStep = 10;
// Letters of start positions per histogram bin.
constexpr int kBinLetters = 10;
// A best window whose corrected p-value is below this is called central.
constexpr double kCentralP = 0.05;

std::vector<int> widthsTried(int positions);

struct CentralWindow {
  int width = 0;                // start positions; 0 when no width could be tried
  long long inside = 0;         // best sites starting in the window
  double expectedShare = 0;     // width / positions
  double log10P = 0;            // binomial upper tail, corrected for the widths tried
  double log10Uncorrected = 0;  // the same before the correction
  int widthsTried = 0;
  // A width was tried and the corrected p-value is below kCentralP.
  bool central() const;
};

struct PositionHistogram {
  // Bin b holds the starts from firstStart + b * kBinLetters on (the first
  // and last bin may be cut by the ends of the positions); offsets are
  // measured from the centre of the positions, (n - 1) / 2.
  int positions = 0;  // n
  int firstStart = 0;
  std::vector<long long> counts;
  std::vector<double> expected;  // sites * (starts of the bin) / n
  double offsetOf(double start) const { return start - (positions - 1) / 2.0; }
};

struct CentralResult {
  int sequenceLength = 0;
  int motifWidth = 0;
  int positions = 0;    // n
  long long sites = 0;  // sequences with a best site
  CentralWindow best;
  PositionHistogram histogram;
};

// `bestStarts` holds the 0-based start of the best site of each sequence that
// has one; every start lies in [0, n). Requires motifWidth <= sequenceLength.
// The best window is the one of lowest p; of equal p-values, the narrowest.
CentralResult centralEnrichment(int sequenceLength, int motifWidth, const std::vector<int>& bestStarts);

// log10 P(X >= k) for X binomial with `trials` trials of success probability
// `share` (0 < share < 1); 0 for k <= 0.
double log10BinomialUpperTail(long long k, long long trials, double share);

}  // namespace stats
