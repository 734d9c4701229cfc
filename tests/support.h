// Helpers shared by the unit tests: stores built from FASTA text and simple
// Markov models, captured standard output, temporary files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "lmer.h"
#include "support_files.h"
#include "utilities.h"

namespace testing_support {

// Sets the run-wide globals to their defaults with motif length k.
inline void resetGlobals(int k) {
  K = k;
  MIN_COMPLEXITY = 0.15;
  forwardOnly = false;
  scoring_method = 2;
}

// Standard output of everything run while the object lives.
class CapturedStdout {
 public:
  CapturedStdout() { ::testing::internal::CaptureStdout(); }
  std::string text() {
    if (!done_) {
      text_ = ::testing::internal::GetCapturedStdout();
      done_ = true;
    }
    return text_;
  }
  ~CapturedStdout() { text(); }

 private:
  bool done_ = false;
  std::string text_;
};

// Every word of lengths 1..order+1 with probability 0.25: a uniform model.
inline std::string uniformModelText(int maxLength) {
  std::ostringstream out;
  for (int n = 1; n <= maxLength; ++n) {
    for (long idx = 0; idx < (1L << (2 * n)); ++idx) {
      std::string word(static_cast<std::size_t>(n), 'A');
      for (int i = n - 1, v = static_cast<int>(idx); i >= 0; --i, v /= 4) word[i] = "ACGT"[v % 4];
      out << idx << ' ' << word << " 0.25 1 0.25\n";
    }
  }
  return out.str();
}

// Fills both Markov tables of a store with the uniform model of words up to
// maxLength letters (markovOrder = maxLength).
inline void setUniformModels(Utilities& util, int maxLength) {
  for (int n = 1; n <= MAX_MARKOV; ++n) {
    util.bmarkov[n].assign(std::size_t{1} << (2 * n), n <= maxLength ? 0.25f : 0.0f);
    util.fmarkov[n] = util.bmarkov[n];
  }
  util.markovOrder = maxLength;
}

// A store of motif length k loaded from FASTA text, with windows counted,
// uniform models of words up to modelLength letters and background maps built.
// Console output of the loading is swallowed.
inline std::unique_ptr<Utilities> makeStore(const std::string& fasta, int k, int modelLength = 3,
                                            bool withScore = false) {
  K = k;
  auto util = std::make_unique<Utilities>(k);
  util->MaskingLow(true);
  std::FILE* f = ::fmemopen(const_cast<char*>(fasta.data()), fasta.size(), "r");
  ::testing::internal::CaptureStdout();
  util->LoadSeqsFrom(f);
  util->CountDP();
  ::testing::internal::GetCapturedStdout();
  std::fclose(f);
  setUniformModels(*util, modelLength);
  util->computebgmap(withScore);
  return util;
}

}  // namespace testing_support
