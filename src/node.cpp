#include "node.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

#include "utilities.h"

node::node() {
  // Equal to 1 - rawFMatrix while the frequencies are all zero.
  for (auto& column : misTable)
    for (double& v : column) v = 1.0;
}

void node::reset() {
  info = 0.0;
  entropy = 0.0;
  for (auto& row : posCMatrix)
    for (int i = 0; i < K; ++i) row[i] = 0;
  hits.clear();
}

void node::updateCount() {
  for (auto& row : posCMatrix)
    for (int i = 0; i < K; ++i) row[i] = 0;
  for (const Site& s : hits) {
    if (s.acgt) {
      for (int i = 0; i < K; ++i) ++posCMatrix[words::baseAt(s.code, K, i)][i];
      continue;
    }
    for (int i = 0; i < K; ++i) {
      const int b = words::baseIndex(static_cast<char>(std::toupper(static_cast<unsigned char>(s.text[i]))));
      if (b < 0)
        throw FatalError("Error...invalid character " + std::to_string(static_cast<int>(s.text[i])) + "." +
                         std::to_string(K) + "\n");
      ++posCMatrix[b][i];
    }
  }
}

void node::computeInformation(const Utilities* util) {
  updateCount();
  computeMatrices(util, getHitCount());
}

void node::computeMatrices(const Utilities* util, int N) {
  const int L = util->GetL();
  info = 0.0;
  entropy = 0.0;
  if (N < 1) return;
  double pseudo[NUM_BASES];
  for (int b = 0; b < NUM_BASES; ++b) {
    int total = 0;
    for (int i = 0; i < L; ++i) total += posCMatrix[b][i];
    pseudo[b] = (total + 0.25) / (N * K + 1);
  }
  for (int i = 0; i < L; ++i) {
    double rel = 0.0;
    double ent = 0.0;
    for (int b = 0; b < NUM_BASES; ++b) {
      const int c = posCMatrix[b][i];
      rawFMatrix[b][i] = static_cast<double>(c) / N;
      posFMatrix[b][i] = (c + pseudo[b]) / (N + 1);
      ZK_ASSERT(posFMatrix[b][i] >= 0);
      const double p = posFMatrix[b][i];
      const double q = util->bmarkov[1][static_cast<std::size_t>(b)];
      rel += p * zk::log2(p / q);
      ent += p * std::log(p);
    }
    info += rel;
    entropy += ent;
  }
  normMismatch(N);
}

void node::norm_mismatch() { normMismatch(getHitCount()); }

void node::normMismatch(int N) {
  for (int i = 0; i < K; ++i)
    for (int b = 0; b < NUM_BASES; ++b) misTable[i][b] = 1 - rawFMatrix[b][i];
  maxMisScore = 0.0f;
  minMisScore = 0.0f;
  if (N <= 1) {
    maxMisScore = static_cast<float>(K);
    minMisScore = 0.0f;
  } else {
    for (int i = 0; i < K; ++i) {
      double smallest = 100.0;
      double largest = -100.0;
      for (int b = 0; b < NUM_BASES; ++b) {
        if (rawFMatrix[b][i] < smallest) smallest = rawFMatrix[b][i];
        if (rawFMatrix[b][i] > largest) largest = rawFMatrix[b][i];
      }
      maxMisScore = static_cast<float>(maxMisScore + (1 - smallest));
      minMisScore = static_cast<float>(minMisScore + (1 - largest));
    }
  }
}
