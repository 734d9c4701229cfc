#include "stats/gc_background.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

#include "base/errors.h"
#include "stats/shuffle.h"

namespace stats {

namespace {

// Reading spans: candidates closer than kGap are read together, in spans of
// at most kSpan letters; farther ones each on their own.
constexpr long long kSpan = 1 << 20;
constexpr long long kGap = 1 << 12;
constexpr long long kFirstBatch = 1 << 16;
constexpr long long kLargestBatch = 1 << 22;

struct Candidate {
  std::uint32_t chrom = 0;  // place in the genome's records
  int length = 0;
  long long start = 0;
  GcCount count;
  long long end() const { return start + length; }
};

// The wants of the bins: ratio x peaks, rounded by largest remainders so
// that they add up to the rounded total.
void apportion(std::array<GcBinCounts, kGcBins>& bins, double ratio, int peakWindows) {
  const long long total = std::llround(ratio * peakWindows);
  long long given = 0;
  std::array<double, kGcBins> remainder{};
  for (int b = 0; b < kGcBins; ++b) {
    const double exact = ratio * bins[b].peaks;
    bins[b].wanted = static_cast<int>(std::floor(exact));
    remainder[b] = exact - bins[b].wanted;
    given += bins[b].wanted;
  }
  std::array<int, kGcBins> order{};
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return remainder[a] > remainder[b]; });
  for (int i = 0; given < total && i < kGcBins; ++i, ++given) ++bins[order[i]].wanted;
}

// The seeded sequence of candidate windows.
class CandidateSource {
 public:
  CandidateSource(const std::vector<formats::Chromosome>& chromosomes, std::vector<int> lengths, std::uint64_t seed)
      : lengths_(std::move(lengths)), random_(seed) {
    const int longest = *std::max_element(lengths_.begin(), lengths_.end());
    sameLength_ = std::all_of(lengths_.begin(), lengths_.end(), [&](int l) { return l == longest; });
    long long places = 0;
    for (const formats::Chromosome& c : chromosomes) {
      places += std::max(0LL, c.length - longest + 1);
      placesBefore_.push_back(places);  // places of this chromosome and those before it
    }
  }
  long long places() const { return placesBefore_.empty() ? 0 : placesBefore_.back(); }

  Candidate next() {
    Candidate c;
    const long long at = static_cast<long long>(random_.below(static_cast<std::uint64_t>(places())));
    const auto chrom = std::upper_bound(placesBefore_.begin(), placesBefore_.end(), at);
    c.chrom = static_cast<std::uint32_t>(chrom - placesBefore_.begin());
    c.start = at - (chrom == placesBefore_.begin() ? 0 : *std::prev(chrom));
    c.length = sameLength_ ? lengths_[0] : lengths_[random_.below(lengths_.size())];
    return c;
  }

 private:
  std::vector<int> lengths_;
  bool sameLength_ = true;
  std::vector<long long> placesBefore_;
  stats::Random random_;
};

// Counts the letters of every candidate, reading the genome in its order.
void measure(formats::IndexedGenome& genome, std::vector<Candidate>& batch, LowerCase lowerCase) {
  // Sorted by (chromosome, start) packed in one number: starts are below 2^40.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed(batch.size());
  for (std::size_t i = 0; i < batch.size(); ++i)
    keyed[i] = {(std::uint64_t{batch[i].chrom} << 40) | static_cast<std::uint64_t>(batch[i].start),
                static_cast<std::uint32_t>(i)};
  std::sort(keyed.begin(), keyed.end());
  std::vector<std::uint32_t> order(batch.size());
  for (std::size_t i = 0; i < batch.size(); ++i) order[i] = keyed[i].second;
  for (std::size_t i = 0; i < order.size();) {
    const Candidate& first = batch[order[i]];
    long long spanEnd = first.end();
    std::size_t j = i + 1;
    for (; j < order.size(); ++j) {
      const Candidate& c = batch[order[j]];
      if (c.chrom != first.chrom || c.start - spanEnd > kGap || c.end() - first.start > kSpan) break;
      spanEnd = std::max(spanEnd, c.end());
    }
    const std::string letters = genome.fetch(genome.chromosomes()[first.chrom].name, first.start, spanEnd, lowerCase);
    for (std::size_t k = i; k < j; ++k) {
      Candidate& c = batch[order[k]];
      c.count = countGc(std::string_view(letters).substr(static_cast<std::size_t>(c.start - first.start),
                                                         static_cast<std::size_t>(c.length)));
    }
    i = j;
  }
}

// The bins being filled, their spares and the windows drawn.
class Filling {
 public:
  Filling(BackgroundDraw& draw, const std::vector<formats::Chromosome>& chromosomes,
          const stats::IntervalIndex& keepOut, double maxNFraction)
      : draw_(draw), chromosomes_(chromosomes), keepOut_(keepOut), maxNFraction_(maxNFraction), spares_(kGcBins) {
    for (const GcBinCounts& bin : draw.bins) missing_ += bin.wanted;
    const int least = (draw.wanted + kGcBins - 1) / kGcBins;
    for (int b = 0; b < kGcBins; ++b) spareRoom_[b] = std::max(draw.bins[b].wanted, least);
  }
  bool full() const { return missing_ == 0; }

  void offer(const Candidate& c) {
    const long long others = c.length - c.count.acgt;
    if (c.count.acgt == 0 || static_cast<double>(others) > maxNFraction_ * c.length) return;
    const int bin = gcBin(c.count);
    const bool wanted = found_[bin] < draw_.bins[bin].wanted;
    if (!wanted && static_cast<int>(spares_[bin].size()) >= spareRoom_[bin]) return;
    const Interval region = regionOf(c);
    if (keepOut_.overlaps(region.chrom, region.start, region.end) || drawnSoFar_.overlaps(region)) return;
    if (wanted) {
      ++found_[bin];
      take(c, bin);
    } else {
      spares_[bin].push_back(c);
    }
  }

  // The candidates to look at next: enough, at the rate each short bin has
  // filled over the `looked` so far, for every short bin expected to fill
  // within `remaining` more; 0 when none is. A bin that found nothing yet is
  // taken to need `looked` more per missing window.
  long long nextBatch(long long looked, long long remaining) const {
    long long most = 0;
    for (int b = 0; b < kGcBins; ++b) {
      const long long missing = draw_.bins[b].wanted - found_[b];
      if (missing <= 0) continue;
      const long long need = found_[b] > 0 ? (missing * looked + found_[b] - 1) / found_[b] : missing * looked;
      if (need <= remaining) most = std::max(most, need);
    }
    return most == 0 ? 0 : std::min(remaining, std::max(most + most / 4, kFirstBatch));
  }

  // Fills every short bin from the spares of the nearest bins.
  void fillShortBins() {
    for (int b = 0; b < kGcBins; ++b) {
      const int missing = draw_.bins[b].wanted - found_[b];
      if (missing == 0) continue;
      Shortfall shortfall{b, draw_.bins[b].wanted, found_[b], 0};
      for (int d = 1; d < kGcBins && shortfall.standIns < missing; ++d)
        for (const int near : {b - d, b + d})
          if (near >= 0 && near < kGcBins) shortfall.standIns += takeSpares(near, missing - shortfall.standIns);
      draw_.shortfalls.push_back(shortfall);
    }
  }

 private:
  Interval regionOf(const Candidate& c) const { return {chromosomes_[c.chrom].name, c.start, c.end()}; }

  void take(const Candidate& c, int bin) {
    const Interval region = regionOf(c);
    drawnSoFar_.add(region);
    draw_.windows.push_back({region, c.count});
    ++draw_.bins[bin].drawn;
    --missing_;
  }

  int takeSpares(int bin, int most) {
    int taken = 0;
    std::vector<Candidate>& spares = spares_[bin];
    std::size_t used = 0;
    for (; used < spares.size() && taken < most; ++used) {
      if (drawnSoFar_.overlaps(regionOf(spares[used]))) continue;
      take(spares[used], bin);
      ++taken;
    }
    spares.erase(spares.begin(), spares.begin() + static_cast<std::ptrdiff_t>(used));
    return taken;
  }

  BackgroundDraw& draw_;
  const std::vector<formats::Chromosome>& chromosomes_;
  const stats::IntervalIndex& keepOut_;
  double maxNFraction_;
  std::array<int, kGcBins> found_{};
  std::array<int, kGcBins> spareRoom_{};
  std::vector<std::vector<Candidate>> spares_;
  stats::DisjointIntervals drawnSoFar_;
  long long missing_ = 0;
};

std::vector<int> lengthsOf(const std::vector<FastaRecord>& peakWindows) {
  std::vector<int> lengths;
  for (const FastaRecord& r : peakWindows) lengths.push_back(static_cast<int>(r.letters.size()));
  return lengths;
}

void sortInGenomeOrder(std::vector<BackgroundWindow>& windows, const formats::IndexedGenome& genome) {
  std::unordered_map<std::string, std::size_t> place;
  for (std::size_t i = 0; i < genome.chromosomes().size(); ++i) place.emplace(genome.chromosomes()[i].name, i);
  std::sort(windows.begin(), windows.end(), [&](const BackgroundWindow& a, const BackgroundWindow& b) {
    const std::size_t x = place.at(a.region.chrom), y = place.at(b.region.chrom);
    return x != y ? x < y : a.region.start < b.region.start;
  });
}

}  // namespace

GcCount countGc(std::string_view letters) {
  GcCount count;
  for (const char c : letters) {
    const bool gc = c == 'G' || c == 'C';
    count.gc += gc;
    count.acgt += gc || c == 'A' || c == 'T';
  }
  return count;
}

int gcBin(const GcCount& count) {
  ZK_ASSERT(count.acgt > 0);
  return static_cast<int>(std::min<long long>(kGcBins - 1, count.gc * kGcBins / count.acgt));
}

BackgroundDraw drawBackground(formats::IndexedGenome& genome, const std::vector<FastaRecord>& peakWindows,
                              const stats::IntervalIndex& keepOut, const BackgroundOptions& options) {
  ZK_ASSERT(options.ratio > 0 && !peakWindows.empty());
  BackgroundDraw draw;
  int matched = 0;
  for (const FastaRecord& r : peakWindows) {
    const GcCount count = countGc(r.letters);
    if (count.acgt == 0) {
      ++draw.peaksWithoutLetters;
      continue;
    }
    ++draw.bins[gcBin(count)].peaks;
    ++matched;
  }
  apportion(draw.bins, options.ratio, matched);
  for (const GcBinCounts& bin : draw.bins) draw.wanted += bin.wanted;
  const std::vector<int> lengths = lengthsOf(peakWindows);
  CandidateSource source(genome.chromosomes(), lengths, options.seed);
  if (source.places() == 0)
    throw ReadError("no record of " + genome.path() + " is as long as the longest peak window (" +
                    std::to_string(*std::max_element(lengths.begin(), lengths.end())) +
                    " bases), so no background can be drawn from it.");
  draw.candidateLimit = options.maxCandidatesPerWindow * draw.wanted;
  Filling filling(draw, genome.chromosomes(), keepOut, options.maxNFraction);
  long long batchSize = std::min(kFirstBatch, draw.candidateLimit);
  while (batchSize > 0) {
    std::vector<Candidate> batch(static_cast<std::size_t>(std::min(batchSize, kLargestBatch)));
    for (Candidate& c : batch) c = source.next();
    measure(genome, batch, options.lowerCase);
    for (std::size_t i = 0; i < batch.size() && !filling.full(); ++i, ++draw.candidates) filling.offer(batch[i]);
    if (options.progress) options.progress(draw.candidates, draw.candidateLimit);
    batchSize = filling.full() ? 0 : filling.nextBatch(draw.candidates, draw.candidateLimit - draw.candidates);
  }
  filling.fillShortBins();
  sortInGenomeOrder(draw.windows, genome);
  return draw;
}

std::vector<Interval> regionsOf(const BackgroundDraw& draw) {
  std::vector<Interval> regions;
  regions.reserve(draw.windows.size());
  for (const BackgroundWindow& w : draw.windows) regions.push_back(w.region);
  return regions;
}

int gcPermille(const GcCount& count) {
  return count.acgt == 0 ? 0 : static_cast<int>((count.gc * 1000 + count.acgt / 2) / count.acgt);
}

std::vector<formats::BedRecord> backgroundBed(const BackgroundDraw& draw) {
  std::vector<formats::BedRecord> records;
  records.reserve(draw.windows.size());
  for (std::size_t i = 0; i < draw.windows.size(); ++i) {
    const BackgroundWindow& w = draw.windows[i];
    const std::string name = "background_" + std::to_string(i + 1);
    records.push_back({w.region.chrom, w.region.start, w.region.end, name, gcPermille(w.count), '.'});
  }
  return records;
}

}  // namespace stats
