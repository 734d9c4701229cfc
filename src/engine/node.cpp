#include "engine/node.h"

#include <cmath>
#include <string>

node::node(const MotifContext& context) : context_(&context) {
  // Equal to 1 - rawFMatrix while the frequencies are all zero.
  for (auto& column : misTable)
    for (double& v : column) v = 1.0;
}

void node::reset() {
  info = 0.0;
  entropy = 0.0;
  for (auto& row : posCMatrix)
    for (int i = 0; i < K(); ++i) row[i] = 0;
  hits.clear();
}

void node::updateCount() {
  const int L = K();
  for (auto& row : posCMatrix)
    for (int i = 0; i < L; ++i) row[i] = 0;
  for (const Site& s : hits) {
    if (s.acgt) {
      for (int i = 0; i < L; ++i) ++posCMatrix[base::baseAt(s.code, L, i)][i];
      continue;
    }
    for (int i = 0; i < L; ++i) {
      const int b = base::baseIndexAnyCase(s.text[i]);
      if (b < 0)
        throw FatalError("Error...invalid character " + std::to_string(static_cast<int>(s.text[i])) + "." +
                         std::to_string(L) + "\n");
      ++posCMatrix[b][i];
    }
  }
}

void node::computeInformation() {
  updateCount();
  computeMatrices(getHitCount());
}

void node::computeMatrices(int N) {
  const int L = K();
  info = 0.0;
  entropy = 0.0;
  if (N < 1) return;
  double pseudo[NUM_BASES];
  for (int b = 0; b < NUM_BASES; ++b) {
    int total = 0;
    for (int i = 0; i < L; ++i) total += posCMatrix[b][i];
    pseudo[b] = (total + 0.25) / (N * L + 1);
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
      const double q = context_->baseBackground[static_cast<std::size_t>(b)];
      rel += p * engine::log2(p / q);
      ent += p * std::log(p);
    }
    info += rel;
    entropy += ent;
  }
  normMismatch(N);
}

void node::normMismatch(int N) {
  const int L = K();
  for (int i = 0; i < L; ++i)
    for (int b = 0; b < NUM_BASES; ++b) misTable[i][b] = 1 - rawFMatrix[b][i];
  maxMisScore = 0.0f;
  minMisScore = 0.0f;
  if (N <= 1) {
    maxMisScore = static_cast<float>(L);
    minMisScore = 0.0f;
  } else {
    for (int i = 0; i < L; ++i) {
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
