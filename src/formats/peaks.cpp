#include "formats/peaks.h"

#include <cstdio>
#include <sstream>

#include "formats/command_files.h"
#include "formats/fasta.h"
#include "formats/text_lines.h"

namespace peaks {

namespace {

constexpr std::size_t kNarrowPeakFields = 10;

bool isSkipped(const std::string& line) {
  if (textio::isBlank(line) || textio::startsWith(line, "#")) return true;
  const std::vector<std::string> words = textio::words(line);
  return words[0] == "track" || words[0] == "browser";
}

std::vector<std::string> fieldsOf(const std::string& line) {
  return line.find('\t') != std::string::npos ? textio::tabFields(line) : textio::words(line);
}

// A real number, or none for "." (BED's mark of a missing value).
std::optional<double> optionalReal(const textio::Lines& lines, const std::string& text, const std::string& what) {
  if (text == ".") return std::nullopt;
  return lines.real(text, what);
}

char strandOf(const textio::Lines& lines, const std::string& text) {
  if (text == "+" || text == "-" || text == ".") return text[0];
  lines.fail("strand " + textio::quoted(text) + " is not +, - or .");
}

void readCoordinates(const textio::Lines& lines, const std::vector<std::string>& fields, Peak& peak) {
  peak.chrom = fields[0];
  if (peak.chrom.empty()) lines.fail("the chromosome name is empty");
  peak.start = lines.integer(fields[1], "start");
  peak.end = lines.integer(fields[2], "end");
  if (peak.start < 0) lines.fail("start " + fields[1] + " is negative");
  if (peak.end < peak.start) lines.fail("end " + fields[2] + " is before start " + fields[1]);
  if (peak.end == peak.start) lines.fail("end equals start (" + fields[1] + "): the interval holds no base");
}

void readNarrowPeakColumns(const textio::Lines& lines, const std::vector<std::string>& fields, Peak& peak) {
  peak.signal = lines.real(fields[6], "signal value (column 7)");
  lines.real(fields[7], "p-value (column 8)");
  lines.real(fields[8], "q-value (column 9)");
  const long long summit = lines.integer(fields[9], "summit offset (column 10)");
  if (summit == -1) return;
  if (summit < 0 || summit >= peak.end - peak.start)
    lines.fail("summit offset " + fields[9] + " lies outside the peak, which is " +
               std::to_string(peak.end - peak.start) + " bases long");
  peak.summit = summit;
}

Peak readPeak(const textio::Lines& lines, const std::vector<std::string>& fields, PeakFormat format) {
  Peak peak;
  peak.line = lines.number();
  readCoordinates(lines, fields, peak);
  if (fields.size() > 3 && fields[3] != ".") peak.name = fields[3];
  if (fields.size() > 4) peak.score = optionalReal(lines, fields[4], "score (column 5)");
  if (fields.size() > 5) peak.strand = strandOf(lines, fields[5]);
  if (format == PeakFormat::NarrowPeak) readNarrowPeakColumns(lines, fields, peak);
  return peak;
}

// The whole text of a file ("-": standard input), decompressed when it is gzip.
std::string textOfFile(const std::string& path) {
  FastaSource source(path, FastaSource::Dash::StandardInput);
  std::string text;
  for (int c; (c = source.get()) != EOF;) text.push_back(static_cast<char>(c));
  return text;
}

}  // namespace

PeakFile parsePeaks(const std::string& text, const std::string& source) {
  std::istringstream in(text);
  textio::Lines lines(in, source);
  PeakFile file;
  file.source = source;
  std::size_t fieldCount = 0;
  while (!lines.atEnd()) {
    const std::string& line = lines.take("a peak");
    if (isSkipped(line)) continue;
    const std::vector<std::string> fields = fieldsOf(line);
    if (fieldCount == 0) {
      if (fields.size() < 3) lines.fail("a peak line has at least 3 fields (chromosome, start, end); this one has " +
                                        std::to_string(fields.size()));
      fieldCount = fields.size();
      file.format = fieldCount == kNarrowPeakFields ? PeakFormat::NarrowPeak : PeakFormat::Bed;
    } else if (fields.size() != fieldCount) {
      lines.fail("the line has " + std::to_string(fields.size()) + " fields; the file's first peak line has " +
                 std::to_string(fieldCount));
    }
    file.peaks.push_back(readPeak(lines, fields, file.format));
  }
  return file;
}

PeakFile readPeakFile(const std::string& path) {
  return parsePeaks(textOfFile(path), command_files::inputName(path));
}

}  // namespace peaks
