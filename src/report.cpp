// The report: its header of run parameters and the ranked motifs.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <map>
#include <utility>

#include "clust.h"

namespace {
constexpr double kDiscarded = -1000.0;  // score marking a site removed by overlap removal
}

void zelkova::saveparameters() {
  const std::time_t now = std::time(nullptr);
  std::FILE* out = outStream;
  std::fprintf(out, "Current local time and date: %s\n", std::asctime(std::localtime(&now)));
  std::fprintf(out, "ZELKOVA clustering parameters\n");
  std::fprintf(out, "#####################\n");
  std::fprintf(out, "Kmers matching threshold:%.4lf\n", scanThreshold);
  std::fprintf(out, "Clusters initialization method:%d\n", initMethod);
  std::fprintf(out, "Forward strand only:%s\n", forwardOnly ? "true" : "false");
  std::fprintf(out, "Mismatches allowed:%d\n", maxMismatch);
  std::fprintf(out, "Complexity threshold:%.4lf\n", MIN_COMPLEXITY);
  std::fprintf(out, "Number of seed sequences: %d\n", numSeedSeqs);
  std::fprintf(out, "Number of sequences:%d\n", util->GetNumSeq());
  std::fprintf(out, "Total sequences length:%d\n", util->GetBigL());
  const int average = util->GetNumSeq() > 0
                          ? static_cast<int>(static_cast<float>(util->GetBigL()) / util->GetNumSeq())
                          : 0;
  std::fprintf(out, "Average sequences length:%d\n", average);
  std::fprintf(out, "Command line options: %s\n", cmdLine.c_str());
  std::fprintf(out, "#####################\n\n");
}

// Sites of one sequence and strand are compared only with each other, so the
// walk is done per (sequence, strand) group, each in list order.
void zelkova::removeOverlaps(node& motif) {
  const int L = util->GetL();
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
  motif.computeInformation(util);
}

void zelkova::saveMotifs() {
  std::printf("Saving motifs....");
  std::fflush(stdout);
  std::vector<_list> ranking;
  for (NodePtr& m : candMotifs) {
    removeOverlaps(*m);
    m->computeInformation(util);
    m->computeMAP(util);
    clusterComplexity(*m);
    m->motifConsensus();
    ranking.push_back({m.get(), m->getMAP()});
  }
  // Stable, so motifs of equal score keep their candidate-list order.
  std::stable_sort(ranking.begin(), ranking.end(),
                   [](const _list& a, const _list& b) { return compareNodeScore(&a, &b) < 0; });
  int rank = 0;
  for (const _list& entry : ranking) {
    clusterComplexity(*entry.motif);
    if (entry.motif->getComplexity() >= MIN_COMPLEXITY) {
      ++rank;
      std::fprintf(outStream, "\nMotif rank #%d\n", rank);
      entry.motif->save_me(outStream, util);
    }
    if (rank == maxMotifs) break;
  }
  std::printf("DONE.\n");
}
