// Finds motifs with the ZELKOVA library instead of the command line: both
// Markov models are built in memory from the input, as the demo builds them
// with zelkova-markov, and the consensus of each motif found is printed, best
// first. Nothing is written into the working directory.
//
// usage: library_example FASTA
#include <cstdio>
#include <utility>

#include "zelkova.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FASTA\n", argv[0]);
    return 1;
  }
  try {
    SearchInput input;
    input.name = argv[1];
    input.sequences = readFastaFile(argv[1]);
    // Foreground: the input itself at order 7. Background: for a small example
    // the same sequences at order 3; real data would use a larger set.
    input.foreground = buildMarkovModel(input.sequences, 7);
    input.background = buildMarkovModel(input.sequences, 3);

    RunConfig config;
    config.K = 16;
    config.initCoreFile.reset();  // no side files, and no report file
    config.initClusterFile.reset();

    const formats::Report found = runMotifSearch(config, std::move(input), ProgressSink::silent());
    for (const formats::ReportMotif& motif : found.motifs)
      std::printf("%d\t%s\t%.6f\t%lld sites\n", motif.rank, motif.consensus.c_str(), motif.mapScore, motif.siteCount);
    return 0;
  } catch (const FatalError& error) {
    std::fputs(error.what(), stderr);
    return 1;
  }
}
