#include "scan/pieces.h"

#include <algorithm>

#include "base/errors.h"
#include "base/words.h"
#include "formats/command_files.h"
#include "formats/peaks.h"
#include "formats/text_lines.h"
#include "stats/peak_windows.h"

namespace scan {

namespace {

// A FASTA header's first word.
std::string firstWord(const std::string& header) {
  const std::size_t begin = header.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return header.substr(begin, header.find_first_of(" \t", begin) - begin);
}

// A record is held while its pieces are scanned, so only records are bounded.
DnaRules recordRules(std::uint64_t maxLetters) {
  DnaRules rules;
  rules.maxLetters = maxLetters;
  rules.limitsInput = false;
  return rules;
}

class FastaPieces : public PieceSource {
 public:
  FastaPieces(const std::string& path, std::uint64_t maxLetters, int overlap)
      : path_(formats::inputName(path)), reader_(path, recordRules(maxLetters)), overlap_(overlap) {}

  bool next(Piece& piece) override {
    piece = Piece{};
    long long letters = 0;
    while (letters < kPieceLetters && (offset_ < static_cast<long long>(record_.letters.size()) || readRecord())) {
      const long long length = static_cast<long long>(record_.letters.size());
      if (length == 0) continue;  // nothing to scan; the condition reads the next record
      const long long own = std::min(kPieceLetters, length - offset_);
      const long long end = std::min(length, offset_ + own + overlap_);
      piece.stretches.push_back(
          {"", record_.letters.substr(static_cast<std::size_t>(offset_), static_cast<std::size_t>(end - offset_))});
      piece.places.push_back({names_.size() - 1, offset_, own});
      offset_ += own;
      letters += own;
    }
    return !piece.stretches.empty();
  }

 private:
  // Reads the next record into record_; false at the end of the file.
  bool readRecord() {
    const FastaReader::Status status = reader_.next(record_);
    if (status == FastaReader::Status::End) {
      if (names_.empty()) throw ReadError(path_ + " holds no FASTA record (a line starting with '>').");
      return false;
    }
    // Read by DNA rules, a record that is not DNA has been refused by now.
    ZK_ASSERT(status == FastaReader::Status::Record);
    names_.push_back(firstWord(record_.name));
    lengths_.push_back(static_cast<long long>(record_.letters.size()));
    offset_ = 0;
    return true;
  }

  std::string path_;
  FastaReader reader_;
  int overlap_;
  FastaRecord record_;
  long long offset_ = 0;
};

class GenomePieces : public PieceSource {
 public:
  GenomePieces(formats::IndexedGenome& genome, const std::vector<stats::Interval>& regions, int overlap)
      : genome_(genome), regions_(regions), overlap_(overlap) {
    for (const formats::Chromosome& c : genome.chromosomes()) {
      names_.push_back(c.name);
      lengths_.push_back(c.length);
    }
    if (!regions_.empty()) at_ = regions_.front().start;
  }

  bool next(Piece& piece) override {
    piece = Piece{};
    long long letters = 0;
    while (letters < kPieceLetters && region_ < regions_.size()) {
      const stats::Interval& region = regions_[region_];
      const long long own = std::min(kPieceLetters, region.end - at_);
      const long long end = std::min(region.end, at_ + own + overlap_);
      piece.stretches.push_back({"", genome_.fetch(region.chrom, at_, end, LowerCase::AsUpper)});
      piece.places.push_back({chromosomeIndex(region.chrom), at_, own});
      letters += own;
      at_ += own;
      if (at_ == region.end && ++region_ < regions_.size()) at_ = regions_[region_].start;
    }
    return !piece.stretches.empty();
  }

 private:
  std::size_t chromosomeIndex(const std::string& chrom) const {
    const formats::Chromosome* c = genome_.find(chrom);
    ZK_ASSERT(c != nullptr);
    return static_cast<std::size_t>(c - genome_.chromosomes().data());
  }

  formats::IndexedGenome& genome_;
  std::vector<stats::Interval> regions_;
  int overlap_;
  std::size_t region_ = 0;
  long long at_ = 0;
};

}  // namespace

long long Piece::letters() const {
  long long total = 0;
  for (const StretchPlace& p : places) total += p.ownLength;
  return total;
}

std::unique_ptr<PieceSource> fastaPieces(const std::string& path, std::uint64_t maxLetters, int overlap) {
  return std::make_unique<FastaPieces>(path, maxLetters, overlap);
}

std::unique_ptr<PieceSource> genomePieces(formats::IndexedGenome& genome, const std::vector<stats::Interval>& regions,
                                          int overlap) {
  return std::make_unique<GenomePieces>(genome, regions, overlap);
}

std::vector<stats::Interval> scanRegions(const formats::IndexedGenome& genome, const std::string& regionsPath) {
  std::vector<stats::Interval> regions;
  if (regionsPath.empty()) {
    for (const formats::Chromosome& c : genome.chromosomes())
      if (c.length > 0) regions.push_back({c.name, 0, c.length, '.'});
    return regions;
  }
  const formats::PeakFile file = formats::readPeakFile(regionsPath);
  if (file.peaks.empty()) throw ReadError(regionsPath, 0, "the file holds no region");
  stats::checkAgainstGenome(file, genome, "region");
  // In the genome's order, merged where they overlap or touch.
  std::vector<std::pair<std::size_t, stats::Interval>> ordered;
  for (const formats::Peak& p : file.peaks)
    ordered.push_back(
        {static_cast<std::size_t>(genome.find(p.chrom) - genome.chromosomes().data()), {p.chrom, p.start, p.end, '.'}});
  std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.start < b.second.start;
  });
  for (const auto& entry : ordered) {
    const stats::Interval& r = entry.second;
    if (!regions.empty() && regions.back().chrom == r.chrom && r.start <= regions.back().end)
      regions.back().end = std::max(regions.back().end, r.end);
    else
      regions.push_back(r);
  }
  return regions;
}

std::array<long long, 4> countLetters(PieceSource& source) {
  std::array<long long, 4> counts{};
  Piece piece;
  while (source.next(piece))
    for (std::size_t i = 0; i < piece.stretches.size(); ++i) {
      const std::string& letters = piece.stretches[i].letters;
      for (long long k = 0; k < piece.places[i].ownLength; ++k) {
        const int base = base::baseIndex(letters[static_cast<std::size_t>(k)]);
        if (base >= 0) ++counts[static_cast<std::size_t>(base)];
      }
    }
  return counts;
}

}  // namespace scan
