// Times the cluster initialisation (seed enumeration, cluster scan and side
// files) on a generated input: 200 sequences of 500 letters, K = 10.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include "clust.h"
#include "utilities.h"

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
  K = k;
  auto util = std::make_unique<Utilities>(k);
  util->MaskingLow(true);
  std::FILE* f = fmemopen(const_cast<char*>(fasta.data()), fasta.size(), "r");
  util->LoadSeqsFrom(f);
  std::fclose(f);
  util->CountDP();
  for (int n = 1; n <= MAX_MARKOV; ++n) util->bmarkov[n].assign(std::size_t{1} << (2 * n), 0.25f);
  util->fmarkov = util->bmarkov;
  util->markovOrder = MAX_MARKOV;
  util->computebgmap(false);
  return util;
}

void BM_InitializeClusters(benchmark::State& state) {
  const int mismatches = static_cast<int>(state.range(0));
  const std::string fasta = generatedFasta(200, 500, 42);
  for (auto _ : state) {
    state.PauseTiming();
    auto util = loadedStore(fasta, 10);
    const std::vector<int> seeds = {0, 1, 2, 3, 4, 5, 6, 7};
    zelkova engine(util.get(), "/dev/null", mismatches, 8, 10, 0.8f, 40, seeds, 1, " bench");
    state.ResumeTiming();
    InitialClusters init = engine.initializeClusters(40);
    benchmark::DoNotOptimize(init.clusters.data());
  }
}

}  // namespace

BENCHMARK(BM_InitializeClusters)->Arg(2)->Arg(5)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
