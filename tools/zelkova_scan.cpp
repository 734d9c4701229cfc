// zelkova-scan: where are a motif's sites? Every window of a set of sequences
// or of a genome, scored by each motif, with exact p-values and q-values.
#include <optional>

#include "cli/companion_parser.h"
#include "scan/options.h"
#include "scan/run.h"

int main(int argc, char** argv) {
  return cli::runProgram("zelkova-scan", [&] {
    const std::optional<scan::Options> options = scan::parseArguments(argc, argv);
    return options ? scan::runScan(*options) : 0;
  });
}
