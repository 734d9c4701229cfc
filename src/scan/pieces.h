// The letters zelkova-scan reads, in pieces of about a mebibase: a FASTA file
// record by record, or a genome region by region through its index, so that
// the memory a scan takes does not grow with the genome. A piece holds
// stretches of sequences; a stretch carries, after its own letters, the first
// letters of the next stretch of the same sequence (the overlap), so that
// every window starts in exactly one stretch.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/fasta.h"
#include "formats/genome.h"
#include "stats/genome_intervals.h"

namespace scan {

// Letters of the stretches of one piece, at least (a piece holds whole
// stretches of at most this many letters besides the overlap).
constexpr long long kPieceLetters = 1 << 20;

// Where the letters of one stretch come from.
struct StretchPlace {
  std::size_t sequence = 0;  // index into the source's names
  long long offset = 0;      // of the first letter in the sequence (0-based)
  long long ownLength = 0;   // windows starting in these letters belong here
};

struct Piece {
  std::vector<FastaRecord> stretches;  // the letters (names unused)
  std::vector<StretchPlace> places;
  long long letters() const;
};

class PieceSource {
 public:
  virtual ~PieceSource() = default;
  // The next piece; false at the end.
  virtual bool next(Piece& piece) = 0;
  // The name of every sequence met so far (a sequence index points here):
  // the first word of a FASTA header, a chromosome's name.
  const std::vector<std::string>& names() const { return names_; }
  // The length of every sequence met so far, in letters.
  const std::vector<long long>& lengths() const { return lengths_; }

 protected:
  std::vector<std::string> names_;
  std::vector<long long> lengths_;
};

// The records of a FASTA file ("-": standard input), plain or gzip, read one
// at a time by the companions' DNA rules with records of at most
// `maxLetters` letters; letters in upper case. Throws ReadError for a
// file that cannot be read, holds no record or breaks a rule.
std::unique_ptr<PieceSource> fastaPieces(const std::string& path, std::uint64_t maxLetters, int overlap);

// The `regions` of `genome` (disjoint, in the genome's order; see
// scanRegions), named by their chromosomes, with offsets on them.
std::unique_ptr<PieceSource> genomePieces(formats::IndexedGenome& genome, const std::vector<stats::Interval>& regions,
                                          int overlap);

// What a genome scan covers: every chromosome whole, or the regions of the
// BED file at `regionsPath` merged where they overlap or touch, in the
// genome's order. Throws ReadError naming the file and line of a
// region on a chromosome the genome does not have or past its end, and for
// a file without regions.
std::vector<stats::Interval> scanRegions(const formats::IndexedGenome& genome, const std::string& regionsPath);

// Counts of A, C, G and T in every piece's own letters.
std::array<long long, 4> countLetters(PieceSource& source);

}  // namespace scan
