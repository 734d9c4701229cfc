#include "formats/report_writer.h"

#include <cinttypes>
#include <string>

#include "formats/report_format.h"

namespace rf = report_format;

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

// printf into a string.
template <class... Args>
void appendf(std::string& text, const char* format, Args... args) {
  char buffer[256];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  if (n >= 0 && static_cast<std::size_t>(n) < sizeof buffer) {
    text.append(buffer, static_cast<std::size_t>(n));
    return;
  }
  std::string large(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(&large[0], large.size(), format, args...);
  text.append(large, 0, static_cast<std::size_t>(n));
}

void appendCountMatrix(std::string& text, const std::vector<Column>& counts) {
  text += '\t';
  for (std::size_t i = 0; i < counts.size(); ++i) appendf(text, "%4zu", i + 1);
  text += '\n';
  for (int b = 0; b < kBases; ++b) {
    appendf(text, "%c\t", kBaseLetters[b]);
    for (const Column& column : counts) appendf(text, "%4lld", column[static_cast<std::size_t>(b)]);
    text += '\n';
  }
}

}  // namespace

std::string motifText(const Motif& m) {
  std::string text;
  appendf(text, "\n%s%d\n", rf::kRank, m.rank);
  appendf(text, "%s%.6lf\t%s%.6lf\t\n", rf::kScore, m.mapScore, rf::kComplexity, m.complexity);
  appendf(text, "%s%.6lf%s\n", rf::kEntropy, m.relativeEntropy, rf::kBits);
  appendf(text, "%s%lld\n", rf::kSites, m.siteCount);
  text += rf::kConsensus + m.consensus + rf::kDegenerate + m.degenerateConsensus + "\n";
  text += rf::kReverse + m.reverseConsensus + "\n";
  text += std::string("\n") + rf::kMatrixTitle + "\n";
  appendCountMatrix(text, m.counts);
  for (const Site& s : m.sites) rf::appendSiteLine(text, s.sequence, s.word.c_str(), s.forward, s.position, s.score);
  text += rf::kMotifEnd;
  text += '\n';
  return text;
}

void writeMotif(std::FILE* out, const Motif& m) {
  const std::string text = motifText(m);
  std::fwrite(text.data(), 1, text.size(), out);
}

void writeReport(std::FILE* out, const Report& report) {
  writeHeader(out, report.parameters);
  for (const Motif& m : report.motifs) writeMotif(out, m);
}

}  // namespace report
