// The motif-discovery engine: seed enumeration, initial clusters, divisive
// refinement, the bounded candidate list, post-screening and the report.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "matrix.h"
#include "node.h"
#include "output_file.h"
#include "utilities.h"

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

// Mean distances of the splitting, by the literal definition over a distance
// table (each member's mean distance to the rest of its group, and to the
// members of another group).
std::vector<float> averageHamming(const aCluster& group, math::matrix<float>& dist);
std::vector<float> crossGroupDist(const aCluster& from, const aCluster& to, math::matrix<float>& dist);

// Score by which seed motifs are ranked: the surprise-based statistic score
// when scoring_method is 1, else the MAP score.
double candidateScore(const node& motif);

// The side files every run writes into the working directory.
constexpr const char* kInitCoreFile = "initcore.txt";
constexpr const char* kInitClusterFile = "initcluster.txt";

struct InitialClusters {
  NodeList cores;     // seed motifs, best first
  NodeList clusters;  // one per core motif, same order
};

class zelkova {
 public:
  zelkova(Utilities* util, const char* outFile, int maxMismatch, int numSeedSeqs, int numTopMotifs,
          float scanThreshold, int numClusters, const std::vector<int>& seedSeqs, int initMethod,
          const std::string& cmdLine);
  ~zelkova();
  zelkova(const zelkova&) = delete;
  zelkova& operator=(const zelkova&) = delete;

  // Run stages, in this order.
  void train();
  void postScreen();
  void saveMotifs();
  // Completes the report file; throws output_file::WriteError.
  void closeReport();

  // Candidate list: takes the motif when it ranks among the held ones.
  bool saveCandidateMotif(NodePtr motif);

  // Seeds and initial clusters.
  L_mer initKmer(int pos, int seqIdx, bool strand) const;
  static void insertMotif(NodePtr motif, NodeList& list, int capacity);
  static double clusterComplexity(node& motif);
  void admitSeed(NodePtr motif, NodeList& list, int capacity) const;
  void enumerateSeed(int seqIdx, NodeList& list, int capacity, bool strand);
  void enumerateSeedMismatch(int seqIdx, NodeList& list, int capacity, bool strand);
  static double comparePFM_(const node& a, const node& b);
  InitialClusters initializeClusters(int numClusters);

  // Divisive refinement.
  std::unique_ptr<math::matrix<float>> disMatrix(node& motif) const;
  NodePtr divisiveCluster(node& clusterNode, const node& coreNode);
  std::unique_ptr<aCluster> splitCluster(aCluster& parentClust, const std::vector<const Site*>& sites);
  NodePtr createNode(const aCluster& group, const std::vector<const Site*>& sites) const;

  // Report.
  void saveparameters();
  void removeOverlaps(node& motif);

  const NodeList& candidates() const { return candMotifs; }
  int getMaxMismatch() const { return maxMismatch; }
  int getInitMethod() const { return initMethod; }
  double getScanThreshold() const { return scanThreshold; }

 private:
  void scanClusters(const NodeList& cores, NodeList& clusters) const;
  void writeSideFiles(const InitialClusters& init, std::FILE* coreFile, std::FILE* clusterFile) const;
  void extendByScan(node& motif) const;

  int maxMotifs;
  float numClusters;
  int numSeedSeqs;
  double scanThreshold;
  int maxMismatch;
  std::FILE* outStream = nullptr;
  std::optional<output_file::OutputFile> reportFile;  // none: the report goes to standard output
  NodeList candMotifs;  // descending MAP score while training
  std::vector<int> seedSeqs;
  Utilities* util;
  int initMethod;
  std::string cmdLine;
};
