// zelkova-aggregate: the results of many zelkova-discover runs as one table
// and one page.
#include <optional>

#include "aggregate/aggregate_command.h"
#include "cli/companion_parser.h"

int main(int argc, char** argv) {
  return cli::runProgram("zelkova-aggregate", [&] {
    const std::optional<aggregate::Options> options = aggregate::parseArguments(argc, argv);
    return options ? aggregate::run(*options) : 0;
  });
}
