#include "report_writer.h"

#include <charconv>
#include <cinttypes>
#include <string>

#include "report_format.h"

namespace rf = report_format;

// std::to_chars with a precision gives exactly what printf's "%.4lf" gives
// (both round the exact binary value correctly), at a fraction of the cost;
// side files can hold millions of these lines.
void report_format::appendSiteLine(std::string& line, const std::string& name, const char* word, bool forward,
                                   long long position, double score) {
  line += '>';
  line += name;
  line += '\t';
  line += word;
  line += forward ? "\t1\t" : "\t0\t";
  line += std::to_string(position);
  line += '\t';
  char number[64];
  const std::to_chars_result r = std::to_chars(number, number + sizeof number, score, std::chars_format::fixed, 4);
  line.append(number, r.ptr);
  line += '\n';
}

namespace report {

void writeHeader(std::FILE* out, const Parameters& p) {
  std::fprintf(out, "%s%s\n\n", rf::kDate, p.date.c_str());
  std::fprintf(out, "%s\n%s\n", rf::kTitle, rf::kParametersRule);
  std::fprintf(out, "%s%.4lf\n", rf::kThreshold, p.matchingThreshold);
  std::fprintf(out, "%s%d\n", rf::kInitMethod, p.initMethod);
  std::fprintf(out, "%s%s\n", rf::kForwardOnly, p.forwardOnly ? "true" : "false");
  std::fprintf(out, "%s%d\n", rf::kMismatches, p.mismatches);
  std::fprintf(out, "%s%.4lf\n", rf::kComplexityThreshold, p.complexityThreshold);
  std::fprintf(out, "%s%d\n", rf::kSeedSequences, p.seedSequences);
  std::fprintf(out, "%s%d\n", rf::kSequences, p.sequences);
  std::fprintf(out, "%s%lld\n", rf::kTotalLength, p.totalLength);
  std::fprintf(out, "%s%lld\n", rf::kAverageLength, p.averageLength);
  std::fprintf(out, "%s %s\n", rf::kCommandLine, p.commandLine.c_str());
  std::fprintf(out, "%s\n\n", rf::kParametersRule);
}

namespace {

void writeCountMatrix(std::FILE* out, const std::vector<Column>& counts) {
  std::fputs("\t", out);
  for (std::size_t i = 0; i < counts.size(); ++i) std::fprintf(out, "%4zu", i + 1);
  std::fputs("\n", out);
  for (int b = 0; b < kBases; ++b) {
    std::fprintf(out, "%c\t", kBaseLetters[b]);
    for (const Column& column : counts) std::fprintf(out, "%4lld", column[static_cast<std::size_t>(b)]);
    std::fputs("\n", out);
  }
}

void writeSites(std::FILE* out, const std::vector<Site>& sites) {
  std::string text;
  for (const Site& s : sites) {
    rf::appendSiteLine(text, s.sequence, s.word.c_str(), s.forward, s.position, s.score);
    if (text.size() > (1u << 16)) {
      std::fwrite(text.data(), 1, text.size(), out);
      text.clear();
    }
  }
  std::fwrite(text.data(), 1, text.size(), out);
}

}  // namespace

void writeMotif(std::FILE* out, const Motif& m) {
  std::fprintf(out, "\n%s%d\n", rf::kRank, m.rank);
  std::fprintf(out, "%s%.6lf\t%s%.6lf\t\n", rf::kScore, m.mapScore, rf::kComplexity, m.complexity);
  std::fprintf(out, "%s%.6lf%s\n", rf::kEntropy, m.relativeEntropy, rf::kBits);
  std::fprintf(out, "%s%lld\n", rf::kSites, m.siteCount);
  std::fprintf(out, "%s%s%s%s\n", rf::kConsensus, m.consensus.c_str(), rf::kDegenerate,
               m.degenerateConsensus.c_str());
  std::fprintf(out, "%s%s\n", rf::kReverse, m.reverseConsensus.c_str());
  std::fprintf(out, "\n%s\n", rf::kMatrixTitle);
  writeCountMatrix(out, m.counts);
  writeSites(out, m.sites);
  std::fprintf(out, "%s\n", rf::kMotifEnd);
}

void writeReport(std::FILE* out, const Report& report) {
  writeHeader(out, report.parameters);
  for (const Motif& m : report.motifs) writeMotif(out, m);
}

}  // namespace report
