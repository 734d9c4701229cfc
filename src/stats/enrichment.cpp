#include "stats/enrichment.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "base/parallel.h"
#include "base/words.h"
#include "engine/motif_scorer.h"
#include "engine/site.h"
#include "formats/motif_export.h"

namespace enrichment {

std::vector<MotifMatrix> motifsOfReport(const report::Report& report) {
  std::vector<MotifMatrix> motifs;
  for (const report::Motif& m : report.motifs)
    motifs.push_back(MotifMatrix{m.rank, export_formats::motifId(m), m.consensus, m.counts});
  return motifs;
}

double enrichmentRatio(const enrichment_stats::Table& t) {
  if (t.controlHits == 0)
    return t.primaryHits == 0 ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity();
  return (static_cast<double>(t.primaryHits) / static_cast<double>(t.primaryTotal)) /
         (static_cast<double>(t.controlHits) / static_cast<double>(t.controlTotal));
}

namespace {

// A sequence is scanned in pieces of this many window starts, so that one
// long record (a chromosome) is scanned on every thread.
constexpr std::size_t kPieceWindows = std::size_t{1} << 20;

// The windows starting at [begin, end) of one sequence.
struct Piece {
  std::size_t sequence = 0;
  std::size_t begin = 0, end = 0;
};

// Every sequence in pieces, in order; a sequence too short for a window has
// no piece.
std::vector<Piece> piecesOf(const std::vector<FastaRecord>& sequences, int width) {
  std::vector<Piece> pieces;
  const std::size_t w = static_cast<std::size_t>(width);
  for (std::size_t s = 0; s < sequences.size(); ++s) {
    const std::size_t size = sequences[s].letters.size();
    if (size < w) continue;
    const std::size_t starts = size - w + 1;
    for (std::size_t begin = 0; begin < starts; begin += kPieceWindows)
      pieces.push_back({s, begin, std::min(starts, begin + kPieceWindows)});
  }
  return pieces;
}

// Calls visit(start, forward, score) for every window of A, C, G and T only
// that starts in the piece, start counting from 0 on the forward strand. The
// reverse strand's window at the same place is the reverse complement, kept
// packed alongside.
template <class Visit>
void forEachWindow(const MotifScorer& scorer, const std::string& letters, const Piece& piece, bool bothStrands,
                   Visit&& visit) {
  const std::size_t w = static_cast<std::size_t>(scorer.width());
  words::RollingWindow window(scorer.width());
  for (std::size_t i = piece.begin; i < piece.end + w - 1; ++i) {
    window.push(letters[i]);
    if (!window.full()) continue;
    const std::size_t start = i + 1 - w;
    visit(start, true, scorer.scoreCode(window.forward()));
    if (bothStrands) visit(start, false, scorer.scoreCode(window.reverse()));
  }
}

void requireUsableWidth(const std::vector<report::Column>& counts) {
  if (counts.empty() || counts.size() > static_cast<std::size_t>(MAX_MOTIF_LEN))
    throw std::invalid_argument("a motif must have 1 to " + std::to_string(MAX_MOTIF_LEN) + " positions, not " +
                                std::to_string(counts.size()));
}

// The best of a piece's scores are combined by maximum, which gives the same
// value in any order.
std::vector<double> bestScores(const MotifScorer& scorer, const std::vector<FastaRecord>& sequences,
                               bool bothStrands, int threads) {
  const std::vector<Piece> pieces = piecesOf(sequences, scorer.width());
  std::vector<double> pieceBest(pieces.size(), enrichment_stats::kNoWindow);
  parallelFor(threads, pieces.size(), [&](std::size_t p) {
    double top = enrichment_stats::kNoWindow;
    forEachWindow(scorer, sequences[pieces[p].sequence].letters, pieces[p], bothStrands,
                  [&top](std::size_t, bool, double score) { top = std::max(top, score); });
    pieceBest[p] = top;
  });
  std::vector<double> best(sequences.size(), enrichment_stats::kNoWindow);
  for (std::size_t p = 0; p < pieces.size(); ++p)
    best[pieces[p].sequence] = std::max(best[pieces[p].sequence], pieceBest[p]);
  return best;
}

void collectSites(const MotifScorer& scorer, const std::vector<FastaRecord>& sequences, SequenceSet set,
                  double threshold, bool bothStrands, int threads, std::vector<Site>& sites) {
  const std::vector<Piece> pieces = piecesOf(sequences, scorer.width());
  std::vector<std::vector<Site>> perPiece(pieces.size());
  parallelFor(threads, pieces.size(), [&](std::size_t p) {
    const std::size_t s = pieces[p].sequence;
    const std::string& letters = sequences[s].letters;
    forEachWindow(scorer, letters, pieces[p], bothStrands, [&](std::size_t start, bool forward, double score) {
      if (score < threshold) return;
      const std::string word = letters.substr(start, static_cast<std::size_t>(scorer.width()));
      perPiece[p].push_back(
          Site{set, s, static_cast<long long>(start) + 1, forward, forward ? word : words::reverseComplement(word), score});
    });
  });
  for (std::vector<Site>& found : perPiece) sites.insert(sites.end(), found.begin(), found.end());
}

}  // namespace

std::vector<double> bestWindowScores(const std::vector<report::Column>& counts,
                                     const std::vector<FastaRecord>& sequences, bool bothStrands, int threads) {
  requireUsableWidth(counts);
  return bestScores(MotifScorer(counts), sequences, bothStrands, threads);
}

std::vector<Site> sitesAtThreshold(const std::vector<report::Column>& counts, const std::vector<FastaRecord>& sequences,
                                   SequenceSet set, double threshold, bool bothStrands, int threads) {
  requireUsableWidth(counts);
  std::vector<Site> sites;
  collectSites(MotifScorer(counts), sequences, set, threshold, bothStrands, threads, sites);
  return sites;
}

std::vector<MotifResult> testMotifs(const std::vector<MotifMatrix>& motifs, const std::vector<FastaRecord>& primary,
                                    const std::vector<FastaRecord>& control, const Options& options) {
  if (primary.empty() || control.empty())
    throw std::invalid_argument("the primary and the control set must each hold a sequence");
  std::vector<MotifResult> results;
  for (const MotifMatrix& motif : motifs) {
    requireUsableWidth(motif.counts);
    const MotifScorer scorer(motif.counts);
    const std::vector<double> primaryBest = bestScores(scorer, primary, options.bothStrands, options.threads);
    const std::vector<double> controlBest = bestScores(scorer, control, options.bothStrands, options.threads);
    MotifResult result;
    result.motif = motif;
    result.choice = options.threshold ? enrichment_stats::atThreshold(primaryBest, controlBest, *options.threshold)
                                      : enrichment_stats::chooseThreshold(primaryBest, controlBest);
    result.log10PAdjusted = enrichment_stats::log10AdjustForCandidates(result.choice.log10P, result.choice.candidates);
    result.log10E = result.log10PAdjusted + std::log10(static_cast<double>(motifs.size()));
    if (options.collectSites) {
      for (const auto& [set, sequences] : {std::pair{SequenceSet::Primary, &primary}, std::pair{SequenceSet::Control, &control}})
        collectSites(scorer, *sequences, set, result.choice.threshold, options.bothStrands, options.threads, result.sites);
    }
    results.push_back(std::move(result));
  }
  return results;
}

}  // namespace enrichment
