#include "formats/report_writer.h"

#include <cinttypes>
#include <string>

#include "formats/report_format.h"

namespace formats {

void writeReportHeader(std::FILE* out, const ReportParameters& p) {
  std::fprintf(out, "%s%s\n\n", formats::kDate, p.date.c_str());
  std::fprintf(out, "%s\n%s\n", formats::kTitle, formats::kParametersRule);
  std::fprintf(out, "%s%.4lf\n", formats::kThreshold, p.matchingThreshold);
  std::fprintf(out, "%s%d\n", formats::kInitMethod, p.initMethod);
  std::fprintf(out, "%s%s\n", formats::kForwardOnly, p.forwardOnly ? "true" : "false");
  std::fprintf(out, "%s%d\n", formats::kMismatches, p.mismatches);
  std::fprintf(out, "%s%.4lf\n", formats::kComplexityThreshold, p.complexityThreshold);
  std::fprintf(out, "%s%d\n", formats::kSeedSequences, p.seedSequences);
  std::fprintf(out, "%s%d\n", formats::kSequences, p.sequences);
  std::fprintf(out, "%s%lld\n", formats::kTotalLength, p.totalLength);
  std::fprintf(out, "%s%lld\n", formats::kAverageLength, p.averageLength);
  std::fprintf(out, "%s %s\n", formats::kCommandLine, p.commandLine.c_str());
  std::fprintf(out, "%s\n\n", formats::kParametersRule);
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

void appendCountMatrix(std::string& text, const std::vector<CountColumn>& counts) {
  text += '\t';
  for (std::size_t i = 0; i < counts.size(); ++i) appendf(text, "%4zu", i + 1);
  text += '\n';
  for (int b = 0; b < kReportBases; ++b) {
    appendf(text, "%c\t", kBaseLetters[b]);
    for (const CountColumn& column : counts) appendf(text, "%4lld", column[static_cast<std::size_t>(b)]);
    text += '\n';
  }
}

}  // namespace

std::string reportMotifText(const ReportMotif& m) {
  std::string text;
  appendf(text, "\n%s%d\n", formats::kRank, m.rank);
  appendf(text, "%s%.6lf\t%s%.6lf\t\n", formats::kScore, m.mapScore, formats::kComplexity, m.complexity);
  appendf(text, "%s%.6lf%s\n", formats::kEntropy, m.relativeEntropy, formats::kBits);
  appendf(text, "%s%lld\n", formats::kSites, m.siteCount);
  text += formats::kConsensus + m.consensus + formats::kDegenerate + m.degenerateConsensus + "\n";
  text += formats::kReverse + m.reverseConsensus + "\n";
  text += std::string("\n") + formats::kMatrixTitle + "\n";
  appendCountMatrix(text, m.counts);
  for (const ReportSite& s : m.sites)
    formats::appendSiteLine(text, s.sequence, s.word.c_str(), s.forward, s.position, s.score);
  text += formats::kMotifEnd;
  text += '\n';
  return text;
}

void writeReportMotif(std::FILE* out, const ReportMotif& m) {
  const std::string text = reportMotifText(m);
  std::fwrite(text.data(), 1, text.size(), out);
}

void writeReport(std::FILE* out, const Report& report) {
  writeReportHeader(out, report.parameters);
  for (const ReportMotif& m : report.motifs) writeReportMotif(out, m);
}

}  // namespace formats
