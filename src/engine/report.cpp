// The final motifs: overlap removal, rescoring and ranking of the candidates,
// and the report's header values.
#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "base/local_time.h"
#include "base/parallel.h"
#include "engine/clust.h"
#include "formats/report_writer.h"

namespace {

constexpr double kDiscarded = -1000.0;  // score marking a site removed by overlap removal

}  // namespace

formats::ReportParameters zelkova::saveparameters() const {
  formats::ReportParameters p;
  p.date = localReportDate();
  p.matchingThreshold = scanThreshold;
  p.initMethod = initMethod;
  p.forwardOnly = cfg.forwardOnly;
  p.mismatches = maxMismatch;
  p.complexityThreshold = cfg.MIN_COMPLEXITY;
  p.seedSequences = numSeedSeqs;
  p.sequences = util.GetNumSeq();
  p.totalLength = util.GetBigL();
  p.averageLength = util.GetNumSeq() > 0 ? static_cast<int>(static_cast<float>(util.GetBigL()) / util.GetNumSeq()) : 0;
  // The command line starts with the blank before the program name, which the
  // writer prints after the label.
  p.commandLine = !cmdLine.empty() && cmdLine.front() == ' ' ? cmdLine.substr(1) : cmdLine;
  return p;
}

// Sites of one sequence and strand are compared only with each other, so the
// walk is done per (sequence, strand) group, each in list order.
void zelkova::removeOverlaps(node& motif) const {
  const int L = util.GetL();
  motif.MatInd();
  std::map<std::pair<int, bool>, std::vector<Site*>> groups;
  for (Site& s : motif.get_hits()) groups[{s.seqIdx, s.strand}].push_back(&s);
  for (auto& entry : groups) {
    std::vector<Site*>& group = entry.second;
    for (std::size_t h = 0; h < group.size(); ++h) {
      if (group[h]->score == kDiscarded) continue;
      Site* best = group[h];
      best->score = motif.MatInspector(best->text);
      double bestScore = best->score;
      for (std::size_t c = h + 1; c < group.size(); ++c) {
        Site* cand = group[c];
        if (cand->score == kDiscarded) continue;
        if (cand->pos == best->pos) {
          cand->score = kDiscarded;
        } else if (std::abs(cand->pos - best->pos) < L) {
          cand->score = motif.MatInspector(cand->text);
          if (cand->score > bestScore) {
            best->score = kDiscarded;
            bestScore = cand->score;
            best = cand;
          } else {
            cand->score = kDiscarded;
          }
        }
      }
    }
  }
  motif.get_hits().remove_if([](const Site& s) { return s.score == kDiscarded; });
  motif.computeInformation();
}

formats::ReportMotif zelkova::motifData(const node& m, int rank) const {
  formats::ReportMotif out;
  out.rank = rank;
  out.mapScore = m.getMAP();
  out.complexity = m.getComplexity();
  out.relativeEntropy = m.getInfo();
  out.siteCount = m.getHitCount();
  out.consensus = m.consensus;
  out.degenerateConsensus = m.degConsensus;
  out.reverseConsensus = m.rConsensus;
  out.counts.assign(static_cast<std::size_t>(m.K()), formats::CountColumn{});
  for (int i = 0; i < m.K(); ++i)
    for (int b = 0; b < NUM_BASES; ++b)
      out.counts[static_cast<std::size_t>(i)][static_cast<std::size_t>(b)] = m.posCMatrix[b][i];
  out.sites.reserve(m.get_hits().size());
  for (const Site& s : m.get_hits()) {
    formats::ReportSite site;
    site.sequence = util.seqs[static_cast<std::size_t>(s.seqIdx)].name;
    site.word = s.text;
    site.forward = s.strand;
    site.position = s.pos + 1;
    site.score = s.score;
    site.sequenceIndex = s.seqIdx;
    out.sites.push_back(std::move(site));
  }
  return out;
}

// Overlapping sites are removed and every candidate rescored; the candidates
// are ranked by MAP score (stable, so equal scores keep their list order) and
// the first numTopMotifs complex enough are the results, every site scored
// against its final motif.
std::vector<formats::ReportMotif> zelkova::rankedMotifs() {
  parallelFor(*cfg.numThreads, candMotifs.size(), [this](std::size_t i) {
    node& m = *candMotifs[i];
    removeOverlaps(m);
    m.computeInformation();
    m.computeMAP();
    clusterComplexity(m);
    m.motifConsensus();
  });
  std::vector<_list> ranking;
  for (NodePtr& m : candMotifs) ranking.push_back({m.get(), m->getMAP()});
  std::stable_sort(ranking.begin(), ranking.end(),
                   [](const _list& a, const _list& b) { return compareNodeScore(&a, &b) < 0; });
  std::vector<node*> reported;
  for (const _list& entry : ranking) {
    if (static_cast<int>(reported.size()) == maxMotifs) break;
    if (entry.motif->getComplexity() >= cfg.MIN_COMPLEXITY) reported.push_back(entry.motif);
  }
  std::vector<formats::ReportMotif> motifs(reported.size());
  parallelFor(*cfg.numThreads, reported.size(), [&](std::size_t i) {
    reported[i]->scoreSites();
    motifs[i] = motifData(*reported[i], static_cast<int>(i) + 1);
  });
  return motifs;
}

void zelkova::saveMotifs() {
  progress.print("Saving motifs....");
  progress.flush();
  results_.motifs = rankedMotifs();
  if (outStream) {
    // The blocks are formatted in parallel and written in rank order.
    std::vector<std::string> blocks(results_.motifs.size());
    parallelFor(*cfg.numThreads, blocks.size(),
                [&](std::size_t i) { blocks[i] = formats::reportMotifText(results_.motifs[i]); });
    for (const std::string& block : blocks) std::fwrite(block.data(), 1, block.size(), outStream);
  }
  progress.print("DONE.\n");
}
