// zelkova-discover: from a FASTA file of peaks to a page of significant,
// named motifs in one command.
#include <optional>

#include "cli.h"
#include "discover_options.h"
#include "discover_output_dir.h"
#include "discover_pipeline.h"
#include "discover_progress.h"

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
