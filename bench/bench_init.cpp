// Times the cluster initialisation (seed enumeration, cluster scan and side
// files) on a generated input: 200 sequences of 500 letters, K = 10.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include "engine/clust.h"
#include "engine/progress.h"
#include "engine/run_config.h"
#include "engine/sequences.h"
#include "engine/utilities.h"

namespace {

std::string generatedFasta(int count, int length, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> base(0, 3);
  std::string fasta;
  for (int i = 0; i < count; ++i) {
    fasta += ">s" + std::to_string(i) + "\n";
    for (int j = 0; j < length; ++j) fasta += "ACGT"[base(rng)];
    fasta += "\n";
  }
  return fasta;
}

std::unique_ptr<Utilities> loadedStore(const std::string& fasta, int k) {
  auto util = std::make_unique<Utilities>(k, /*forwardOnly=*/false, /*threads=*/1);
  std::FILE* f = fmemopen(const_cast<char*>(fasta.data()), fasta.size(), "r");
  util->LoadSeqs(readSequenceRecords(f));
  std::fclose(f);
  util->CountDP();
  BackgroundModel& models = util->models;
  for (int n = 1; n <= MAX_MARKOV; ++n) models.bmarkov[n].assign(std::size_t{1} << (2 * n), 0.25f);
  models.fmarkov = models.bmarkov;
  models.markovOrder = MAX_MARKOV;
  util->computebgmap(false);
  return util;
}

// One thread, the side files written (into /dev/null) as a run writes them.
RunConfig benchConfig(int k, int mismatches) {
  RunConfig config;
  config.K = k;
  config.maxMismatch = mismatches;
  config.numThreads = 1;
  config.initCoreFile = "/dev/null";
  config.initClusterFile = "/dev/null";
  config.cmdLine = " bench";
  RequiredInputs named;
  named.inFile = named.K = named.bgModelFile = named.fgModelFile = true;
  return resolveRunConfig(config, named, ProgressSink::silent());
}

void BM_InitializeClusters(benchmark::State& state) {
  const int mismatches = static_cast<int>(state.range(0));
  const std::string fasta = generatedFasta(200, 500, 42);
  for (auto _ : state) {
    state.PauseTiming();
    auto util = loadedStore(fasta, 10);
    const std::vector<int> seeds = {0, 1, 2, 3, 4, 5, 6, 7};
    zelkova engine(*util, benchConfig(10, mismatches), seeds);
    state.ResumeTiming();
    InitialClusters init = engine.initializeClusters(40);
    benchmark::DoNotOptimize(init.clusters.data());
  }
}

}  // namespace

BENCHMARK(BM_InitializeClusters)->Arg(2)->Arg(5)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
