// The consensus words and the text block of a motif.
#include <charconv>
#include <string>

#include "node.h"
#include "utilities.h"

namespace {

// IUPAC letter of a set of bases, the set given as a 4-bit code (A=1, C=2, G=4,
// T=8); no base and all four bases are both N.
constexpr char kDegenerate[] = "NACMGRSVTWYHKDBN";

char complementOf(char base) {
  switch (base) {
    case 'A': return 'T';
    case 'C': return 'G';
    case 'G': return 'C';
    default: return 'A';
  }
}

// Appends ">name\tword\tstrand\tposition\tscore\n", the score with four
// decimals. std::to_chars with a precision gives exactly what printf's "%.4lf"
// gives (both round the exact binary value correctly), at a fraction of the cost;
// side files can hold millions of these lines.
void appendSiteLine(std::string& line, const std::string& name, const Site& s) {
  line += '>';
  line += name;
  line += '\t';
  line += s.text;
  line += s.strand ? "\t1\t" : "\t0\t";
  line += std::to_string(s.pos + 1);
  line += '\t';
  char number[64];
  const std::to_chars_result r = std::to_chars(number, number + sizeof number, s.score, std::chars_format::fixed, 4);
  line.append(number, r.ptr);
  line += '\n';
}

}  // namespace

void node::motifConsensus() {
  for (int i = 0; i < K; ++i) {
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
    consensus[i] = words::letterOf(best);
    rConsensus[K - 1 - i] = complementOf(consensus[i]);
  }
  consensus[K] = degConsensus[K] = rConsensus[K] = '\0';
}

void node::showHits(std::FILE* out, const Utilities* util) {
  for (Site& s : hits) s.score = s.acgt ? miSscoreNormCode(s.code) : miSscoreNorm(s.text);
  std::string text;
  for (const Site& s : hits) {
    appendSiteLine(text, util->seqs[static_cast<std::size_t>(s.seqIdx)].name, s);
    if (text.size() > (1u << 16)) {
      std::fwrite(text.data(), 1, text.size(), out);
      text.clear();
    }
  }
  std::fwrite(text.data(), 1, text.size(), out);
}

void node::savePCM(std::FILE* out) const {
  std::fputs("\t", out);
  for (int i = 0; i < K; ++i) std::fprintf(out, "%4d", i + 1);
  std::fputs("\n", out);
  for (int b = 0; b < NUM_BASES; ++b) {
    std::fprintf(out, "%c\t", words::letterOf(b));
    for (int i = 0; i < K; ++i) std::fprintf(out, "%4d", posCMatrix[b][i]);
    std::fputs("\n", out);
  }
}

void node::save_me(std::FILE* out, const Utilities* util) {
  std::fprintf(out, "Motif Score: %.6lf\t", mapScore);
  std::fprintf(out, "Complexity: %.6lf\t", complexity);
  std::fprintf(out, "\nRelative Entropy: %.6lf bits\n", info);
  std::fprintf(out, "No. of sites:%d\n", getHitCount());
  motifConsensus();
  std::fprintf(out, "Con : %s  Deg. Con: %s\n", consensus, degConsensus);
  std::fprintf(out, "rCon: %s\n", rConsensus);
  std::fprintf(out, "\nPosition Count Matrix\n");
  savePCM(out);
  showHits(out, util);
  std::fprintf(out, "################################\n");
}
