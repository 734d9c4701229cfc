// The motif-discovery engine: seed enumeration, initial clusters, divisive
// refinement, the bounded candidate list, post-screening and the final motifs.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/node.h"
#include "engine/progress.h"
#include "engine/run_config.h"
#include "engine/stretch_index.h"
#include "engine/utilities.h"
#include "engine/window_threshold.h"
#include "formats/output_file.h"
#include "formats/report_data.h"

using NodePtr = std::unique_ptr<node>;
using NodeList = std::vector<NodePtr>;

// A slot of a ranked table of motifs.
struct _list {
  node* motif = nullptr;
  double score = 0.0;
};

// qsort-style comparator: descending order of `score`.
int compareNodeScore(const void* a, const void* b);

// One group of sites during splitting: the matrix indices of its members, in
// insertion order. A group never owns its sites.
struct aCluster {
  std::vector<int> lstObj;
};

// Score by which seed motifs are ranked: the surprise-based statistic score
// when scoring_method is 1, else the MAP score.
double candidateScore(const node& motif, int scoring_method);

struct InitialClusters {
  NodeList cores;     // seed motifs, best first
  NodeList clusters;  // one per core motif, same order
};

class zelkova {
 public:
  // `config` must be resolved (resolveRunConfig); the store must outlive the
  // engine. Opens the report (standard output when it cannot be opened) and
  // lists the seed sequences.
  zelkova(const Utilities& util, const RunConfig& config, const std::vector<int>& seedSeqs,
          ProgressSink progress = ProgressSink::silent());
  ~zelkova();
  zelkova(const zelkova&) = delete;
  zelkova& operator=(const zelkova&) = delete;

  // Run stages, in this order.
  void train();
  void postScreen();
  void saveMotifs();
  // Completes the report file; throws WriteError.
  void closeReport();

  // What the run found: the report's parameters and its motifs, best first
  // (complete once saveMotifs has run).
  const formats::Report& results() const { return results_; }

  // Candidate list: takes the motif when it ranks among the held ones.
  bool saveCandidateMotif(NodePtr motif);
  const NodeList& candidates() const { return candMotifs; }

  // Seeds and initial clusters.
  NodePtr newMotif() const { return std::make_unique<node>(util.motifContext()); }
  void insertMotif(NodePtr motif, NodeList& list, int capacity) const;
  static double clusterComplexity(node& motif);
  void admitSeed(NodePtr motif, NodeList& list, int capacity) const;
  void enumerateSeed(int seqIdx, NodeList& list, int capacity, bool strand);
  void enumerateSeedMismatch(int seqIdx, NodeList& list, int capacity, bool strand);
  static double comparePFM_(const node& a, const node& b);
  NodeList seedCores(int numClusters);
  // Every initial cluster at once, with the side files (the clusters train
  // refines are the same, built a few at a time).
  InitialClusters initializeClusters(int numClusters);

  // Divisive refinement.
  NodePtr divisiveCluster(const node& clusterNode, const node& coreNode) const;
  // Splits the group; `scores` holds the score of each site by its number.
  std::unique_ptr<aCluster> splitCluster(aCluster& parentClust, const std::vector<const Site*>& sites,
                                         const std::vector<double>& scores) const;
  NodePtr createNode(const aCluster& group, const std::vector<const Site*>& sites,
                     const std::vector<double>& scores) const;
  double groupMAP(const aCluster& group, const std::vector<const Site*>& sites) const;

  // Final motifs.
  formats::ReportParameters saveparameters() const;
  void removeOverlaps(node& motif) const;
  std::vector<formats::ReportMotif> rankedMotifs();

  const RunConfig& config() const { return cfg; }

 private:
  struct SeedWord;
  template <class Visit>
  void forEachSeedWord(int seqIdx, bool strand, Visit visit) const;
  template <class Make, class Admit>
  void enumerateInParallel(const std::vector<SeedWord>& seeds, Make make, Admit admit) const;
  void markCopies(const SeedWord& seed, bool forwardOnlyMarks, bool bothStrandsOfStretch);
  void markMismatchCopies(int seqIdx, const SeedWord& seed);
  NodePtr seedMotif(const SeedWord& seed, bool byIndex) const;
  NodePtr mismatchSeedMotif(int seqIdx, const SeedWord& seed, bool strand) const;
  bool seedsByIndex() const;
  bool closestWindow(int t, const SeedWord& seed, Site& best) const;
  void scanClusters(const NodeList& cores, NodeList& clusters) const;
  void growAndRefineClusters(int numClusters);
  struct SideEntries {
    std::string core, cluster;
  };
  SideEntries sideEntries(const node& core, const node& cluster, bool coreWanted, bool clusterWanted) const;
  static void writeSideEntries(const SideEntries& entries, std::FILE* coreFile, std::FILE* clusterFile);
  void extendByScan(node& motif, const StretchIndex* index) const;
  bool findPassingWindows(const node& motif, const WindowThreshold& test, const StretchIndex& index,
                          std::vector<std::uint64_t>& found) const;
  formats::ReportMotif motifData(const node& motif, int rank) const;

  const Utilities& util;
  RunConfig cfg;
  ProgressSink progress;
  int maxMotifs;
  float numClusters;
  int numSeedSeqs;
  double scanThreshold;
  int maxMismatch;
  int initMethod;
  std::vector<int> seedSeqs;
  std::string cmdLine;
  std::FILE* outStream = nullptr;
  std::optional<formats::OutputFile> reportFile;  // none: no report, or it goes to the console
  NodeList candMotifs;                            // descending MAP score while training
  // Seed-enumeration marks of every window, by sequence and strand position.
  std::vector<std::vector<std::uint8_t>> usedFwd, usedRev;
  formats::Report results_;
  std::unique_ptr<StretchIndex> seedIndex;  // the words of the seed sequences, while seeding
};
