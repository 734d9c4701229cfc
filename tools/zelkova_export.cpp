// zelkova-export: writes the motifs of any motif file (a zelkova report, MEME,
// JASPAR, TRANSFAC or HOMER) as MEME, JASPAR, TRANSFAC or HOMER matrices or as
// an HTML page with sequence logos.
#include <optional>

#include "cli/companion_parser.h"
#include "export/export_command.h"

int main(int argc, char** argv) {
  return cli::runProgram("zelkova-export", [&] {
    const std::optional<exporter::Options> options = exporter::parseArguments(argc, argv);
    return options ? exporter::run(*options) : 0;
  });
}
