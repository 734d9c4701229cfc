// The consensus words of a motif and its site lines.
#include <charconv>
#include <string>

#include "engine/node.h"
#include "engine/sequences.h"
#include "formats/report_format.h"

namespace {

// IUPAC letter of a set of bases, the set given as a 4-bit code (A=1, C=2, G=4,
// T=8); no base and all four bases are both N.
constexpr char kDegenerate[] = "NACMGRSVTWYHKDBN";

}  // namespace

void node::motifConsensus() {
  const int L = K();
  for (int i = 0; i < L; ++i) {
    int code = 0;
    for (int b = 0; b < NUM_BASES; ++b)
      if (posFMatrix[b][i] > 0.25) code += 1 << b;
    degConsensus[i] = kDegenerate[code];
    int best = 0;
    double bestFreq = -1000.0;
    for (int b = 0; b < NUM_BASES; ++b) {
      if (posFMatrix[b][i] > bestFreq) {
        bestFreq = posFMatrix[b][i];
        best = b;
      }
    }
    consensus[i] = base::letterOf(best);
    rConsensus[L - 1 - i] = base::complementOf(consensus[i]);
  }
  consensus[L] = degConsensus[L] = rConsensus[L] = '\0';
}

void node::appendHits(std::string& text, const SequenceSet& seqs) const {
  for (const Site& s : hits)
    formats::appendSiteLine(text, seqs[static_cast<std::size_t>(s.seqIdx)].name, s.text, s.strand, s.pos + 1,
                            siteScore(s));
}

void node::showHits(std::FILE* out, const SequenceSet& seqs) const {
  std::string text;
  appendHits(text, seqs);
  std::fwrite(text.data(), 1, text.size(), out);
}
