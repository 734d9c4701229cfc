#include "formats/peaks.h"

#include <cstdio>
#include <sstream>
#include <utility>

#include "formats/command_files.h"
#include "formats/fasta.h"
#include "formats/text_lines.h"

namespace formats {

namespace {

constexpr std::size_t kNarrowPeakFields = 10;
static_assert(kPeakBytes >= sizeof(Peak), "a peak counts at least the room it takes");

bool isSkipped(const std::string& line) {
  if (formats::isBlank(line) || formats::startsWith(line, "#")) return true;
  const std::vector<std::string> words = formats::words(line);
  return words[0] == "track" || words[0] == "browser";
}

std::vector<std::string> fieldsOf(const std::string& line) {
  return line.find('\t') != std::string::npos ? formats::tabFields(line) : formats::words(line);
}

// A real number, or none for "." (BED's mark of a missing value).
std::optional<double> optionalReal(const formats::LineContext& at, const std::string& text, const std::string& what) {
  if (text == ".") return std::nullopt;
  return at.real(text, what);
}

char strandOf(const formats::LineContext& at, const std::string& text) {
  if (text == "+" || text == "-" || text == ".") return text[0];
  at.fail("strand " + formats::quoted(text) + " is not +, - or .");
}

void readCoordinates(const formats::LineContext& at, const std::vector<std::string>& fields, Peak& peak) {
  peak.chrom = fields[0];
  if (peak.chrom.empty()) at.fail("the chromosome name is empty");
  peak.start = at.integer(fields[1], "start");
  peak.end = at.integer(fields[2], "end");
  if (peak.start < 0) at.fail("start " + fields[1] + " is negative");
  if (peak.end < peak.start) at.fail("end " + fields[2] + " is before start " + fields[1]);
  if (peak.end == peak.start) at.fail("end equals start (" + fields[1] + "): the interval holds no base");
}

void readNarrowPeakColumns(const formats::LineContext& at, const std::vector<std::string>& fields, Peak& peak) {
  peak.signal = at.real(fields[6], "signal value (column 7)");
  at.real(fields[7], "p-value (column 8)");
  at.real(fields[8], "q-value (column 9)");
  const long long summit = at.integer(fields[9], "summit offset (column 10)");
  if (summit == -1) return;
  if (summit < 0 || summit >= peak.end - peak.start)
    at.fail("summit offset " + fields[9] + " lies outside the peak, which is " + std::to_string(peak.end - peak.start) +
            " bases long");
  peak.summit = summit;
}

Peak readPeak(const formats::LineContext& at, int number, const std::vector<std::string>& fields, PeakFormat format) {
  Peak peak;
  peak.line = number;
  readCoordinates(at, fields, peak);
  if (fields.size() > 3 && fields[3] != ".") peak.name = fields[3];
  if (fields.size() > 4) peak.score = optionalReal(at, fields[4], "score (column 5)");
  if (fields.size() > 5) peak.strand = strandOf(at, fields[5]);
  if (format == PeakFormat::NarrowPeak) readNarrowPeakColumns(at, fields, peak);
  return peak;
}

[[noreturn]] void refuseLongLine(const std::string& source, int number) {
  formats::LineContext(source, number)
      .fail("the line is longer than " + std::to_string(kLongestPeakLine) + " bytes; is this a peak file?");
}

// The peaks of a file, read a line at a time, with the room they take.
class PeakParser {
 public:
  explicit PeakParser(std::string source) { file_.source = std::move(source); }

  // Line `number` of the file, without its line end.
  void add(const std::string& line, int number) {
    if (line.size() > kLongestPeakLine) refuseLongLine(file_.source, number);
    if (isSkipped(line)) return;
    const formats::LineContext at(file_.source, number);
    const std::vector<std::string> fields = fieldsOf(line);
    if (fieldCount_ == 0) {
      if (fields.size() < 3)
        at.fail("a peak line has at least 3 fields (chromosome, start, end); this one has " +
                std::to_string(fields.size()));
      fieldCount_ = fields.size();
      file_.format = fieldCount_ == kNarrowPeakFields ? PeakFormat::NarrowPeak : PeakFormat::Bed;
    } else if (fields.size() != fieldCount_) {
      at.fail("the line has " + std::to_string(fields.size()) + " fields; the file's first peak line has " +
              std::to_string(fieldCount_));
    }
    Peak peak = readPeak(at, number, fields, file_.format);
    room_ += kPeakBytes + peak.chrom.size() + peak.name.size();
    if (room_ > kMostPeakBytes)
      at.fail("the peaks up to this line take more than " + std::to_string(kMostPeakBytes) + " bytes of memory (" +
              std::to_string(kPeakBytes) +
              " for each and the letters of its chromosome and name), the most a peak file may take; "
              "is this a peak file?");
    file_.peaks.push_back(std::move(peak));
  }

  const std::string& source() const { return file_.source; }
  PeakFile take() { return std::move(file_); }

 private:
  PeakFile file_;
  std::size_t fieldCount_ = 0;
  std::size_t room_ = 0;
};

void dropCarriageReturn(std::string& line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

PeakFile parsePeaks(const std::string& text, const std::string& source) {
  std::istringstream in(text);
  PeakParser parser(source);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    dropCarriageReturn(line);
    parser.add(line, ++number);
  }
  return parser.take();
}

PeakFile readPeakFile(const std::string& path) {
  // Read a line at a time, decompressed when it is gzip: the file is never
  // held whole, only its peaks.
  FastaSource in(path, FastaSource::Dash::StandardInput);
  PeakParser parser(formats::inputName(path));
  int number = 0;
  std::string line;
  bool pending = false;  // a line without its line end yet
  for (int c; (c = in.get()) != EOF;) {
    if (c == '\n') {
      dropCarriageReturn(line);
      parser.add(line, ++number);
      line.clear();
      pending = false;
      continue;
    }
    pending = true;
    // Refused as soon as it gets past the limit, not once it has been held.
    if (line.size() == kLongestPeakLine) refuseLongLine(parser.source(), number + 1);
    line.push_back(static_cast<char>(c));
  }
  if (pending) {
    dropCarriageReturn(line);
    parser.add(line, ++number);
  }
  return parser.take();
}

}  // namespace formats
