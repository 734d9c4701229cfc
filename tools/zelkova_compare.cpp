// zelkova-compare: which known motifs a motif resembles, with p-, E- and
// q-values, as a tab-separated table.
#include <optional>

#include "cli/companion_parser.h"
#include "cli/compare_command.h"

int main(int argc, char** argv) {
  return cli::runProgram("zelkova-compare", [&] {
    const std::optional<cli::CompareOptions> options = cli::parseCompareArguments(argc, argv);
    return options ? cli::runCompare(*options) : 0;
  });
}
