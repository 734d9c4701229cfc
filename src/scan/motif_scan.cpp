#include "scan/motif_scan.h"

#include <algorithm>
#include <tuple>

#include "base/errors.h"
#include "stats/score_qvalues.h"

namespace scan {

namespace {

// The kept sites are trimmed once twice as many have come in: sorting is
// then paid once per `most` sites added.
constexpr std::size_t kTrimFactor = 2;

bool betterThan(const FoundSite& a, const FoundSite& b) {
  if (a.p != b.p) return a.p < b.p;
  return placedBefore(a, b);
}

StrandMatrix strandMatrix(char strand, const stats::ScoringMatrix& matrix, const stats::Background& background,
                          double pBound) {
  stats::ScoreTail tail = stats::ScoreTail::reaching(matrix, background, pBound);
  const int floor = tail.thresholdFor(pBound);
  return {strand, stats::MatrixScanner(matrix, background), std::move(tail), floor};
}

// The letters of a window, read on its strand.
std::string lettersOf(const std::uint8_t* codes, int width, bool forward) {
  static const char kLetters[] = "ACGT";
  std::string text(static_cast<std::size_t>(width), 'N');
  for (int i = 0; i < width; ++i)
    text[static_cast<std::size_t>(i)] = forward ? kLetters[codes[i]] : kLetters[3 - codes[width - 1 - i]];
  return text;
}

}  // namespace

MotifModel motifModel(const formats::Motif& motif, const stats::Background& background, double pseudocount,
                      Strands strands, double pBound) {
  MotifModel model;
  model.id = motif.id;
  model.alt = motif.name;
  model.width = motif.width();
  const std::vector<formats::Column> probabilities = stats::siteProbabilities(motif, background, pseudocount);
  if (!stats::finiteScores(probabilities, background))
    throw FatalError("Error: " + motif.where() + ": motif " + motif.id +
                     " gives a letter the probability 0, whose log-odds score is minus infinity; give a "
                     "--pseudocount above 0.\n");
  const stats::ScoringMatrix forward(probabilities, background);
  if (strands != Strands::Reverse) model.strands.push_back(strandMatrix('+', forward, background, pBound));
  if (strands != Strands::Forward)
    model.strands.push_back(strandMatrix('-', forward.reverseComplement(), background, pBound));
  return model;
}

bool placedBefore(const FoundSite& a, const FoundSite& b) {
  return std::tie(a.sequence, a.start, a.strand) < std::tie(b.sequence, b.start, b.strand);
}

void SiteKeeper::add(FoundSite site) {
  sites_.push_back(std::move(site));
  if (sites_.size() >= kTrimFactor * static_cast<std::size_t>(most_)) trim(static_cast<std::size_t>(most_));
}

void SiteKeeper::addAll(SiteKeeper&& other) {
  for (FoundSite& site : other.sites_) add(std::move(site));
  other.sites_.clear();
}

void SiteKeeper::trim(std::size_t size) {
  if (sites_.size() <= size) return;
  std::nth_element(sites_.begin(), sites_.begin() + static_cast<std::ptrdiff_t>(size), sites_.end(), betterThan);
  sites_.resize(size);
}

std::vector<FoundSite> SiteKeeper::take() {
  trim(static_cast<std::size_t>(most_));
  std::sort(sites_.begin(), sites_.end(), placedBefore);
  return std::move(sites_);
}

MotifTally::MotifTally(const MotifModel& model, long long most) : sites(most) {
  for (const StrandMatrix& s : model.strands)
    counts.emplace_back(static_cast<std::size_t>(std::max(0, s.tail.best() - s.floor + 1)), 0);
}

void MotifTally::add(MotifTally&& other) {
  windows += other.windows;
  ZK_ASSERT(counts.size() == other.counts.size());
  for (std::size_t s = 0; s < counts.size(); ++s)
    for (std::size_t k = 0; k < counts[s].size(); ++k) counts[s][k] += other.counts[s][k];
  sites.addAll(std::move(other.sites));
}

MotifTally scanPiece(const MotifModel& model, const Piece& piece, const stats::CodedSequences& coded, long long most) {
  MotifTally tally(model, most);
  for (std::size_t k = 0; k < piece.places.size(); ++k) {
    const StretchPlace& place = piece.places[k];
    const std::size_t limit = static_cast<std::size_t>(place.ownLength);
    for (std::size_t s = 0; s < model.strands.size(); ++s) {
      const StrandMatrix& strand = model.strands[s];
      tally.windows += static_cast<long long>(strand.scanner.windowCount(coded, k, limit));
      strand.scanner.scan(coded, k, limit, strand.floor, [&](std::size_t start, int score) {
        ++tally.counts[s][static_cast<std::size_t>(score - strand.floor)];
        tally.sites.add({place.sequence, place.offset + static_cast<long long>(start), static_cast<int>(s), score,
                         strand.tail.atLeast(score),
                         lettersOf(coded.letters(k) + start, model.width, strand.strand == '+')});
      });
    }
  }
  return tally;
}

MotifResult finishMotif(const MotifModel& model, MotifTally&& tally, std::optional<double> qValue) {
  // One group per strand and counted score.
  std::vector<double> p;
  std::vector<long long> counts;
  for (std::size_t s = 0; s < model.strands.size(); ++s)
    for (std::size_t k = 0; k < tally.counts[s].size(); ++k) {
      p.push_back(model.strands[s].tail.atLeast(model.strands[s].floor + static_cast<int>(k)));
      counts.push_back(tally.counts[s][k]);
    }
  const std::vector<double> q = stats::groupedBenjaminiHochberg(p, counts, tally.windows);
  auto qOf = [&](int strand, int score) {
    std::size_t group = static_cast<std::size_t>(score - model.strands[static_cast<std::size_t>(strand)].floor);
    for (int s = 0; s < strand; ++s) group += tally.counts[static_cast<std::size_t>(s)].size();
    return q[group];
  };
  MotifResult result;
  result.windows = tally.windows;
  for (std::size_t g = 0; g < q.size(); ++g)
    if (!qValue || q[g] <= *qValue) result.qualifying += counts[g];
  for (FoundSite& site : tally.sites.take()) {
    const double siteQ = qOf(site.strand, site.score);
    if (!qValue || siteQ <= *qValue) result.sites.push_back({std::move(site), siteQ});
  }
  return result;
}

}  // namespace scan
