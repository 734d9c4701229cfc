// zelkova-discover: from a FASTA file of peaks to a page of significant,
// named motifs in one command.
#include <optional>

#include "cli/companion_parser.h"
#include "discover/options.h"
#include "discover/output_dir.h"
#include "discover/pipeline.h"
#include "discover/progress.h"

int main(int argc, char** argv) {
  return cli::runProgram("zelkova-discover", [&] {
    const std::optional<discover::Options> options = discover::parseArguments(argc, argv);
    if (!options) return 0;
    discover::OutputDirectory directory(options->outputDir, options->force);
    discover::StepProgress progress = discover::StepProgress::onStandardError();
    const discover::Discovery discovery = discover::runDiscovery(*options, directory, progress);
    discover::writeDiscovery(discovery, directory);
    return 0;
  });
}
