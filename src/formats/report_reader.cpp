// The report is read line by line in the order zelkova writes it; every line
// is checked against its expected label, so a damaged file is refused at the
// first line that does not fit rather than exported half-read.
#include "formats/report_reader.h"

#include "formats/command_files.h"
#include "formats/report_format.h"

#include <fstream>

namespace formats {

namespace {

const std::string kParametersLine = formats::kParametersRule;
const std::string kMotifEndLine = formats::kMotifEnd;

// The text after `label` on the next line, which must start with it.
std::string valueAfter(Lines& lines, const std::string& label) {
  const std::string& line = lines.take("the line " + quoted(label + "..."));
  if (line.compare(0, label.size(), label) != 0)
    lines.fail("expected a line starting with " + quoted(label) + ", found " + quoted(line));
  return line.substr(label.size());
}

void expectLine(Lines& lines, const std::string& wanted, const std::string& description) {
  const std::string& line = lines.take(description);
  if (line != wanted) lines.fail("expected " + description + ", found " + quoted(line));
}

ReportParameters readParameters(Lines& lines) {
  ReportParameters p;
  p.date = valueAfter(lines, formats::kDate);
  expectLine(lines, "", "the empty line after the date");
  expectLine(lines, formats::kTitle, std::string("the title \"") + formats::kTitle + "\"");
  expectLine(lines, kParametersLine, "a line of 21 '#'");
  p.matchingThreshold = lines.real(valueAfter(lines, formats::kThreshold), "threshold");
  p.initMethod = lines.smallInteger(valueAfter(lines, formats::kInitMethod), "method");
  const std::string strand = valueAfter(lines, formats::kForwardOnly);
  if (strand != "true" && strand != "false") lines.fail("expected true or false, found " + quoted(strand));
  p.forwardOnly = strand == "true";
  p.mismatches = lines.smallInteger(valueAfter(lines, formats::kMismatches), "mismatches");
  p.complexityThreshold = lines.real(valueAfter(lines, formats::kComplexityThreshold), "complexity");
  p.seedSequences = lines.smallInteger(valueAfter(lines, formats::kSeedSequences), "seed sequences");
  p.sequences = lines.smallInteger(valueAfter(lines, formats::kSequences), "sequences");
  p.totalLength = lines.integer(valueAfter(lines, formats::kTotalLength), "total length");
  p.averageLength = lines.integer(valueAfter(lines, formats::kAverageLength), "average length");
  p.commandLine = valueAfter(lines, formats::kCommandLine);
  if (!p.commandLine.empty() && p.commandLine.front() == ' ') p.commandLine.erase(0, 1);
  expectLine(lines, kParametersLine, "a line of 21 '#' closing the parameters");
  return p;
}

void readScores(Lines& lines, ReportMotif& m) {
  std::string text = valueAfter(lines, formats::kScore);
  if (!text.empty() && text.back() == '\t') text.pop_back();
  const std::string separator = std::string("\t") + formats::kComplexity;
  const std::size_t at = text.find(separator);
  if (at == std::string::npos) lines.fail("expected " + quoted("Complexity: ") + " after the motif score");
  m.mapScore = lines.real(text.substr(0, at), "motif score");
  m.complexity = lines.real(text.substr(at + separator.size()), "complexity");
  text = valueAfter(lines, formats::kEntropy);
  const std::string unit = formats::kBits;
  if (text.size() < unit.size() || text.compare(text.size() - unit.size(), unit.size(), unit) != 0)
    lines.fail("expected the relative entropy to end in " + quoted(unit));
  m.relativeEntropy = lines.real(text.substr(0, text.size() - unit.size()), "relative entropy");
  m.siteCount = lines.integer(valueAfter(lines, formats::kSites), "number of sites");
  if (m.siteCount < 0) lines.fail("the number of sites is negative");
}

void readConsensus(Lines& lines, ReportMotif& m) {
  const std::string text = valueAfter(lines, formats::kConsensus);
  const std::string separator = formats::kDegenerate;
  const std::size_t at = text.find(separator);
  if (at == std::string::npos) lines.fail("expected " + quoted(separator) + " after the consensus");
  m.consensus = text.substr(0, at);
  m.degenerateConsensus = text.substr(at + separator.size());
  if (m.consensus.size() != m.degenerateConsensus.size())
    lines.fail("the consensus and the degenerate consensus differ in length");
  m.reverseConsensus = valueAfter(lines, formats::kReverse);
  if (m.reverseConsensus.size() != m.consensus.size())
    lines.fail("the reverse consensus differs in length from the consensus");
}

// Counts print as "%4d", so counts of four digits or more can run together;
// such a row is split into fields of four characters instead.
std::vector<std::string> countFields(const std::string& text, int width) {
  const std::vector<std::string> fields = formats::words(text);
  if (static_cast<int>(fields.size()) == width || text.size() != 4 * static_cast<std::size_t>(width)) return fields;
  std::vector<std::string> fixed;
  for (std::size_t at = 0; at < text.size(); at += 4) {
    const std::vector<std::string> field = formats::words(text.substr(at, 4));
    if (field.size() != 1) return fields;
    fixed.push_back(field.front());
  }
  return fixed;
}

void readCountRow(Lines& lines, int base, ReportMotif& m) {
  const std::string label = std::string(1, kBaseLetters[base]) + "\t";
  const std::vector<std::string> fields = countFields(valueAfter(lines, label), m.width());
  if (static_cast<int>(fields.size()) != m.width())
    lines.fail("the row of " + label.substr(0, 1) + " holds " + std::to_string(fields.size()) + " counts, expected " +
               std::to_string(m.width()));
  for (int i = 0; i < m.width(); ++i) {
    const long long count = lines.integer(fields[i], "count");
    if (count < 0) lines.fail("negative count " + quoted(fields[i]));
    m.counts[i][base] = count;
  }
}

void readCountMatrix(Lines& lines, ReportMotif& m) {
  expectLine(lines, "", "the empty line before the count matrix");
  expectLine(lines, formats::kMatrixTitle, std::string("the title \"") + formats::kMatrixTitle + "\"");
  const std::vector<std::string> positions = formats::words(valueAfter(lines, "\t"));
  if (positions.empty()) lines.fail("the count matrix has no columns");
  if (positions.size() != m.consensus.size())
    lines.fail("the count matrix has " + std::to_string(positions.size()) + " columns, the consensus " +
               std::to_string(m.consensus.size()) + " letters");
  for (std::size_t i = 0; i < positions.size(); ++i)
    if (positions[i] != std::to_string(i + 1))
      lines.fail("column " + std::to_string(i + 1) + " is numbered " + quoted(positions[i]));
  m.counts.assign(positions.size(), CountColumn{});
  for (int base = 0; base < kReportBases; ++base) readCountRow(lines, base, m);
  for (int i = 0; i < m.width(); ++i) {
    long long total = 0;
    for (long long c : m.counts[i]) {
      if (c > m.siteCount - total)  // checked before adding, so no count can overflow the sum
        lines.fail("column " + std::to_string(i + 1) + " of the count matrix adds up to more than the " +
                   std::to_string(m.siteCount) + " sites");
      total += c;
    }
    if (total != m.siteCount)
      lines.fail("column " + std::to_string(i + 1) + " of the count matrix adds up to " + std::to_string(total) +
                 ", not to the " + std::to_string(m.siteCount) + " sites");
  }
}

// ">name\tword\tstrand\tposition\tscore": the name may hold tabs itself, so the
// four fields are taken from the right.
ReportSite parseSite(Lines& lines, const std::string& line, int width) {
  std::array<std::string, 4> fields;
  std::size_t end = line.size();
  for (int f = 3; f >= 0; --f) {
    const std::size_t tab = line.rfind('\t', end - 1);  // end >= 1: line[0] is '>'
    if (tab == std::string::npos) lines.fail("a site line needs five tab-separated fields");
    fields[f] = line.substr(tab + 1, end - tab - 1);
    end = tab;
  }
  ReportSite site;
  site.sequence = line.substr(1, end - 1);
  site.word = fields[0];
  if (static_cast<int>(site.word.size()) != width)
    lines.fail("the site word " + quoted(site.word) + " does not have the motif's " + std::to_string(width) +
               " letters");
  if (fields[1] != "0" && fields[1] != "1") lines.fail("the strand " + quoted(fields[1]) + " is neither 1 nor 0");
  site.forward = fields[1] == "1";
  site.position = lines.integer(fields[2], "position");
  if (site.position < 1) lines.fail("the position " + quoted(fields[2]) + " is not 1 or more");
  site.score = lines.real(fields[3], "site score");
  return site;
}

void readSites(Lines& lines, ReportMotif& m) {
  for (;;) {
    const std::string& line = lines.take("a site line or the closing line of 32 '#'");
    if (line == kMotifEndLine) break;
    if (line.empty() || line[0] != '>') lines.fail("expected a site line starting with '>', found " + quoted(line));
    m.sites.push_back(parseSite(lines, line, m.width()));
  }
  if (static_cast<long long>(m.sites.size()) != m.siteCount)
    lines.fail("motif rank #" + std::to_string(m.rank) + " lists " + std::to_string(m.sites.size()) +
               " sites, its header says " + std::to_string(m.siteCount));
}

ReportMotif readMotif(Lines& lines, int previousRank) {
  ReportMotif m;
  m.rank = lines.smallInteger(valueAfter(lines, formats::kRank), "rank");
  m.line = lines.number();
  if (m.rank <= previousRank)
    lines.fail("rank " + std::to_string(m.rank) + " does not follow rank " + std::to_string(previousRank));
  readScores(lines, m);
  readConsensus(lines, m);
  readCountMatrix(lines, m);
  readSites(lines, m);
  return m;
}

}  // namespace

Report readReport(std::istream& in, const std::string& source) {
  Lines lines(in, source);
  Report result;
  result.parameters = readParameters(lines);
  for (;;) {
    while (!lines.atEnd() && lines.peek().empty()) lines.take("");
    if (lines.atEnd()) break;
    result.motifs.push_back(readMotif(lines, result.motifs.empty() ? 0 : result.motifs.back().rank));
  }
  return result;
}

Report readReportFile(const std::string& path) {
  std::ifstream in = formats::openFile(path);
  return readReport(in, formats::inputName(path));
}

}  // namespace formats
