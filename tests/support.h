// Helpers shared by the unit tests: stores built from FASTA text and simple
// Markov models, captured standard output, temporary files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/clust.h"
#include "engine/node.h"
#include "engine/progress.h"
#include "engine/run_config.h"
#include "engine/site.h"
#include "engine/utilities.h"
#include "support_files.h"

namespace testing_support {

// The configuration resolved as a run resolves it, its inputs counted as named
// (the inputs of a test are in memory).
inline RunConfig resolvedForTest(const RunConfig& config) {
  RequiredInputs named;
  named.inFile = named.K = named.bgModelFile = named.fgModelFile = true;
  return resolveRunConfig(config, named, ProgressSink::silent());
}

// A configuration with motif length k and every other value at its default,
// one thread and no output files, resolved.
inline RunConfig testConfig(int k) {
  RunConfig config;
  config.K = k;
  config.numThreads = 1;
  config.outFile.reset();
  config.initCoreFile.reset();
  config.initClusterFile.reset();
  return resolvedForTest(config);
}

// The context of motifs of length k that are not scored against a run:
// uniform base background, no window maps.
inline MotifContext motifContext(int k) {
  MotifContext context;
  context.K = k;
  return context;
}

// What `write` prints into the stream it is given.
template <class Write>
std::string writtenText(Write write) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = ::open_memstream(&buffer, &size);
  write(out);
  std::fclose(out);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
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

// Progress messages of a store or an engine, collected in the order they are
// written: pass sink() where a ProgressSink is taken, read text() afterwards.
class CollectedProgress {
 public:
  ProgressSink sink() const {
    std::shared_ptr<std::string> text = text_;
    return ProgressSink([text](const std::string& message) { *text += message; });
  }
  const std::string& text() const { return *text_; }

 private:
  std::shared_ptr<std::string> text_ = std::make_shared<std::string>();
};

// Every word of lengths 1..order+1 with probability 0.25: a uniform model.
inline std::string uniformModelText(int maxLength) {
  std::ostringstream out;
  for (int n = 1; n <= maxLength; ++n) {
    for (long idx = 0; idx < (1L << (2 * n)); ++idx) {
      out << idx << ' ' << base::wordOf(static_cast<base::WordCode>(idx), n) << " 0.25 1 0.25\n";
    }
  }
  return out.str();
}

// Fills both Markov tables of a store with the uniform model of words up to
// maxLength letters (markovOrder = maxLength).
inline void setUniformModels(Utilities& util, int maxLength) {
  for (int n = 1; n <= MAX_MARKOV; ++n) {
    util.models.bmarkov[n].assign(std::size_t{1} << (2 * n), n <= maxLength ? 0.25f : 0.0f);
    util.models.fmarkov[n] = util.models.bmarkov[n];
  }
  util.models.markovOrder = maxLength;
}

// The records of FASTA text, read as the store reads its file.
inline std::vector<FastaRecord> fastaRecords(const std::string& fasta) {
  std::FILE* f = ::fmemopen(const_cast<char*>(fasta.data()), fasta.size(), "r");
  std::vector<FastaRecord> records = readSequenceRecords(f);
  std::fclose(f);
  return records;
}

// A store of motif length k loaded from FASTA text, with windows counted,
// uniform models of words up to modelLength letters and background maps built.
// Its messages are silenced.
inline std::unique_ptr<Utilities> makeStore(const std::string& fasta, int k, int modelLength = 3,
                                            bool withScore = false, bool forwardOnly = false, int threads = 1) {
  auto util = std::make_unique<Utilities>(k, forwardOnly, threads);
  util->LoadSeqs(fastaRecords(fasta));
  util->CountDP();
  setUniformModels(*util, modelLength);
  util->computebgmap(withScore);
  return util;
}

// An engine over the store with the configuration's parameters and the given
// seed sequences; its messages go to `progress` (nowhere by default).
inline std::unique_ptr<zelkova> makeEngine(const Utilities& util, const RunConfig& config,
                                           const std::vector<int>& seeds,
                                           ProgressSink progress = ProgressSink::silent()) {
  return std::make_unique<zelkova>(util, config, seeds, std::move(progress));
}

}  // namespace testing_support
