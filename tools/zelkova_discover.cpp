// zelkova-discover: from a FASTA file of peaks, or a peak file and a genome,
// to a page of significant, named motifs in one command.
#include <cstdio>
#include <optional>

#include "cli/companion_parser.h"
#include "discover/inputs/genome_input.h"
#include "discover/pipeline.h"
#include "discover/setup/interruption.h"
#include "discover/setup/options.h"
#include "discover/setup/output_dir.h"
#include "discover/setup/progress.h"

int main(int argc, char** argv) {
  return cli::runProgram("zelkova-discover", [&] {
    const std::optional<discover::Options> options = discover::parseArguments(argc, argv);
    if (!options) return 0;
    discover::TemporaryFolders temporaries;  // a genome's index being built
    if (options->genome.indexOnly) {
      const discover::InterruptWatch watch([&](int) {
        temporaries.removeAll();
        return true;
      });
      std::puts(discover::indexGenomeOnly(options->genome.genomeFile, temporaries.notice()).c_str());
      return 0;
    }
    discover::OutputDirectory directory(options->outputDir, options->force);
    const discover::InterruptWatch watch([&](int) {
      if (!directory.abandon()) return false;
      temporaries.removeAll();
      std::fputs("\nInterrupted: the files of this run were removed.\n", stderr);
      return true;
    });
    discover::StepProgress progress = discover::StepProgress::onStandardError();
    try {
      const discover::Discovery discovery = discover::runDiscovery(*options, directory, temporaries.notice(), progress);
      discover::writeDiscovery(discovery, directory);
    } catch (...) {
      directory.abandon();  // while the watch still guards it
      throw;
    }
    progress.say("Wrote " + directory.file("index.html"));
    return 0;
  });
}
