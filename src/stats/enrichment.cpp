#include "stats/enrichment.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/errors.h"
#include "base/parallel.h"
#include "base/words.h"
#include "formats/motif_export.h"
#include "stats/window_scorer.h"

namespace stats {

std::vector<formats::Column> frequenciesOf(const std::vector<formats::CountColumn>& counts) {
  formats::Motif m;
  for (const formats::CountColumn& c : counts)
    m.columns.push_back(formats::Column{static_cast<double>(c[0]), static_cast<double>(c[1]), static_cast<double>(c[2]),
                                        static_cast<double>(c[3])});
  m.counts = true;
  return formats::plainFrequencies(m);
}

std::vector<MotifMatrix> motifsOfReport(const formats::Report& report) {
  std::vector<MotifMatrix> motifs;
  for (const formats::ReportMotif& m : report.motifs)
    motifs.push_back(MotifMatrix{m.rank, formats::motifId(m), m.consensus, frequenciesOf(m.counts)});
  return motifs;
}

std::vector<MotifMatrix> motifsOf(const std::vector<formats::Motif>& motifs) {
  std::vector<MotifMatrix> matrices;
  for (const formats::Motif& m : motifs) {
    std::vector<formats::Column> f = formats::plainFrequencies(m);
    const std::string consensus = formats::consensus(f);
    matrices.push_back(MotifMatrix{static_cast<int>(matrices.size()) + 1, m.id, consensus, std::move(f)});
  }
  return matrices;
}

double enrichmentRatio(const stats::HitTable& t) {
  if (t.controlHits == 0)
    return t.primaryHits == 0 ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity();
  return (static_cast<double>(t.primaryHits) / static_cast<double>(t.primaryTotal)) /
         (static_cast<double>(t.controlHits) / static_cast<double>(t.controlTotal));
}

namespace {

std::vector<double> bestScores(const WindowScorer& scorer, const CodedSequences& sequences, bool bothStrands,
                               int threads, double floor = -std::numeric_limits<double>::infinity()) {
  std::vector<double> best(sequences.size(), stats::kNoWindow);
  parallelFor(threads, sequences.size(),
              [&](std::size_t s) { best[s] = scorer.best(sequences, s, bothStrands, floor); });
  return best;
}

void collectSites(const WindowScorer& scorer, const std::vector<FastaRecord>& records, const CodedSequences& sequences,
                  SequenceRole set, double threshold, bool bothStrands, int threads,
                  std::vector<EnrichmentSite>& sites) {
  std::vector<std::vector<EnrichmentSite>> perSequence(sequences.size());
  const std::size_t width = static_cast<std::size_t>(scorer.width());
  parallelFor(threads, sequences.size(), [&](std::size_t s) {
    const std::string& letters = records[s].letters;
    scorer.forEachAtLeast(sequences, s, bothStrands, threshold, [&](std::size_t start, bool forward, double score) {
      const std::string word = letters.substr(start, width);
      perSequence[s].push_back(EnrichmentSite{set, s, static_cast<long long>(start) + 1, forward,
                                              forward ? word : base::reverseComplement(word), score});
    });
  });
  for (std::vector<EnrichmentSite>& found : perSequence) sites.insert(sites.end(), found.begin(), found.end());
}

}  // namespace

std::vector<double> bestWindowScores(const std::vector<formats::Column>& frequencies,
                                     const std::vector<FastaRecord>& sequences, bool bothStrands, int threads) {
  return bestScores(WindowScorer(frequencies), CodedSequences(sequences), bothStrands, threads);
}

std::vector<EnrichmentSite> sitesAtThreshold(const std::vector<formats::Column>& frequencies,
                                             const std::vector<FastaRecord>& sequences, SequenceRole set,
                                             double threshold, bool bothStrands, int threads) {
  std::vector<EnrichmentSite> sites;
  collectSites(WindowScorer(frequencies), sequences, CodedSequences(sequences), set, threshold, bothStrands, threads,
               sites);
  return sites;
}

namespace {

// The whole test of one motif; `threads` scan its sequences.
MotifResult testOne(const MotifMatrix& motif, const std::vector<FastaRecord>& primary,
                    const std::vector<FastaRecord>& control, const CodedSequences& codedPrimary,
                    const CodedSequences& codedControl, const EnrichmentOptions& options, std::size_t motifCount,
                    int threads) {
  const WindowScorer scorer(motif.frequencies);
  // The test counts sequences at thresholds of at least this only, so lower
  // best scores need not be known.
  const double floor = options.threshold ? *options.threshold : stats::kLowestCandidate;
  const std::vector<double> primaryBest = bestScores(scorer, codedPrimary, options.bothStrands, threads, floor);
  const std::vector<double> controlBest = bestScores(scorer, codedControl, options.bothStrands, threads, floor);
  MotifResult result;
  result.motif = motif;
  result.choice = options.threshold ? stats::atThreshold(primaryBest, controlBest, *options.threshold)
                                    : stats::chooseThreshold(primaryBest, controlBest);
  result.log10PAdjusted = stats::log10AdjustForCandidates(result.choice.log10P, result.choice.candidates);
  result.log10E = result.log10PAdjusted + std::log10(static_cast<double>(motifCount));
  if (options.collectSites) {
    collectSites(scorer, primary, codedPrimary, SequenceRole::Primary, result.choice.threshold, options.bothStrands,
                 threads, result.sites);
    collectSites(scorer, control, codedControl, SequenceRole::Control, result.choice.threshold, options.bothStrands,
                 threads, result.sites);
  }
  return result;
}

}  // namespace

std::vector<MotifResult> testMotifs(const std::vector<MotifMatrix>& motifs, const std::vector<FastaRecord>& primary,
                                    const std::vector<FastaRecord>& control, const EnrichmentOptions& options) {
  ZK_CHECK(!primary.empty() && !control.empty(), "the primary and the control set each hold a sequence");
  const CodedSequences codedPrimary(primary), codedControl(control);
  // With motifs enough to keep every thread busy, each thread tests whole
  // motifs; otherwise the threads share the sequences of one motif at a time.
  // Either way every result is computed alone, so it does not depend on them.
  const bool wholeMotifs = motifs.size() >= static_cast<std::size_t>(std::max(options.threads, 1));
  std::vector<MotifResult> results(motifs.size());
  parallelPipeline(
      wholeMotifs ? options.threads : 1, motifs.size(),
      [&](std::size_t m) {
        results[m] = testOne(motifs[m], primary, control, codedPrimary, codedControl, options, motifs.size(),
                             wholeMotifs ? 1 : options.threads);
      },
      [&](std::size_t m) {
        if (options.progress) options.progress(m + 1, motifs.size());
      });
  return results;
}

}  // namespace stats
