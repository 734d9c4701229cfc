// zelkova-enrich: is each motif of a motif file enriched in a set of
// sequences against a control set? Writes a table of counts, p-values and
// E-values, one line per motif; with --db, the table of a whole database of
// known motifs, best first, with q-values.
#include <optional>

#include "cli/companion_parser.h"
#include "cli/enrich_command.h"

int main(int argc, char** argv) {
  return cli::runProgram("zelkova-enrich", [&] {
    const std::optional<cli::EnrichOptions> options = cli::parseEnrichArguments(argc, argv);
    return options ? cli::runEnrich(*options) : 0;
  });
}
