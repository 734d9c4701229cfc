// zelkova-aggregate without its main: the options and their command line, and
// the run that reads many zelkova-discover output directories back and writes
// them as one table and one page.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace aggregate {

struct Options {
  std::vector<std::string> directories;
  std::vector<std::string> names;  // empty: the directories' base names
  std::string summaryFile;
  std::string htmlFile;
  int top = 3;
};

// Nothing when --help or --version was answered. Throws cli::UsageError.
std::optional<Options> parseArguments(int argc, const char* const* argv);

// The whole program: refuses outputs that would replace a sample's files,
// reads every sample and writes both outputs, each whole, neither before
// both are complete. Returns the exit status.
int run(const Options& options);

}  // namespace aggregate
