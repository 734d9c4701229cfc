// The reader of peak calls and other genome intervals: BED (3 to 12 columns),
// narrowPeak (the 10-column BED of MACS and ENCODE, with a signal and a
// summit) and summit BED (1-base intervals), plain or gzip-compressed.
//
// Reading rules: blank lines, comment lines ('#') and the `track` and
// `browser` lines of genome browsers are skipped. Fields are separated by tabs
// when a line holds a tab, else by blanks. A file whose first peak line has 10
// fields is narrowPeak; any other is BED. Every peak line must have as many
// fields as the first. Coordinates are BED's: START 0-based, END exclusive,
// 0 <= START < END. Errors are ReadError, "FILE:LINE: problem".
//
// Limits: a file is read a line at a time (decompressed as it is read), so
// the memory it takes is that of its peaks; a line of more than kLongestLine
// bytes, and a file whose peaks would take more than kMostPeakBytes (about 3
// million peaks), are refused at the line that gets there, so that a
// decompression bomb ends in a message naming it, not in the memory running
// out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace formats {

constexpr std::size_t kLongestPeakLine = 1000000;
// What a peak counts towards kMostPeakBytes besides the letters of its
// chromosome and name: the room it takes in memory, and a little more.
constexpr std::size_t kPeakBytes = 160;
constexpr std::size_t kMostPeakBytes = 500000000;

enum class PeakFormat { Bed, NarrowPeak };

struct Peak {
  std::string chrom;
  long long start = 0;           // 0-based
  long long end = 0;             // exclusive
  std::string name;              // column 4; empty when the file has 3 columns or "."
  std::optional<double> score;   // column 5; none when absent or "."
  char strand = '.';             // column 6: '+', '-', or '.' when absent
  std::optional<double> signal;  // narrowPeak column 7
  // narrowPeak column 10: the summit's offset from START; none for -1.
  std::optional<long long> summit;
  int line = 0;  // where the peak is in its file, from 1
};

struct PeakFile {
  std::string source;  // the path as given ("standard input" for "-"); errors name it
  PeakFormat format = PeakFormat::Bed;
  std::vector<Peak> peaks;  // in file order; empty when the file holds none
};

// Reads the peak file at `path` ("-": standard input), plain or
// gzip-compressed.
PeakFile readPeakFile(const std::string& path);

// Reads peak lines from `text`, naming `source` in errors.
PeakFile parsePeaks(const std::string& text, const std::string& source);

}  // namespace formats
