// The one rule of the companion programs for the files a command line names
// (zelkova itself keeps its fixed options):
//   - "-" as an input is standard input, read once: two inputs "-" are refused;
//   - "-" as an output, or an output left out, is standard output: two
//     outputs there are refused (a program with a directory of outputs, like
//     zelkova-discover, refuses "-" as that directory);
//   - no output may be an input, by device and inode (so "./x", a hard link
//     or a symbolic link to an input is caught), and this holds for standard
//     output too: `zelkova-markov peaks.fa >> peaks.fa` is refused before
//     anything is read, and so is standard input ("-") read from a file that
//     is also an output. Outputs that do not exist yet and those that are not
//     regular files (a terminal, /dev/null, a pipe) pass.
// Every refusal is a FatalError of one line, "Error: ...\n".
#pragma once

#include <string>
#include <vector>

namespace formats {

// The name of an input in messages: "standard input" for "-", else the path.
std::string inputName(const std::string& path);

// The path a line-oriented reader opens: /dev/stdin for "-", else the path.
std::string openablePath(const std::string& path);

// Whether `path` names standard output as an output: "-" or empty.
bool isStandardOutput(const std::string& path);

struct OutputTarget {
  std::string path;  // "-" or empty: standard output
  std::string kind;  // what it is, for messages: "output", "sites", "summary", "page"
};

// Applies the rule above to the inputs and outputs of one run.
void checkCommandFiles(const std::vector<std::string>& inputs, const std::vector<OutputTarget>& outputs);

}  // namespace formats
