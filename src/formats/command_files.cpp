#include "formats/command_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "base/errors.h"

namespace formats {

namespace {

const char* const kStandardInput = "-";

// The file behind an input or output: standard input for the input "-",
// standard output for the output "-"; nothing when it cannot be examined
// (its reader or writer reports that).
std::optional<struct stat> inputIdentity(const std::string& path) {
  struct stat st {};
  const int status = path == kStandardInput ? ::fstat(STDIN_FILENO, &st) : ::stat(path.c_str(), &st);
  if (status != 0) return std::nullopt;
  return st;
}

std::optional<struct stat> outputIdentity(const std::string& path) {
  struct stat st {};
  const int status = isStandardOutput(path) ? ::fstat(STDOUT_FILENO, &st) : ::stat(path.c_str(), &st);
  if (status != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return st;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

[[noreturn]] void refuse(const std::string& message) { throw FatalError("Error: " + message + "\n"); }

void refuseTwoStandardInputs(const std::vector<std::string>& inputs) {
  int dashes = 0;
  for (const std::string& input : inputs)
    if (input == kStandardInput) ++dashes;
  if (dashes > 1) refuse("standard input (-) is named as more than one input; it can be read only once.");
}

void refuseTwoStandardOutputs(const std::vector<OutputTarget>& outputs) {
  const OutputTarget* first = nullptr;
  for (const OutputTarget& output : outputs) {
    if (!isStandardOutput(output.path)) continue;
    if (first)
      refuse("the " + first->kind + " and the " + output.kind +
             " both go to standard output; name a file for one of them.");
    first = &output;
  }
}

void refuseOutputAsInput(const OutputTarget& output, const std::vector<std::string>& inputs) {
  const std::optional<struct stat> written = outputIdentity(output.path);
  if (!written) return;
  for (const std::string& input : inputs) {
    const std::optional<struct stat> read = inputIdentity(input);
    if (!read || !sameFile(*read, *written)) continue;
    if (!isStandardOutput(output.path))
      refuse("the " + output.kind + " file " + output.path + " is also an input file" +
             (input == kStandardInput ? " (standard input)." : "."));
    refuse("the " + output.kind + " goes to standard output, which is the same file as " +
           (input == kStandardInput ? std::string("standard input.") : "the input " + input + "."));
  }
}

}  // namespace

std::string inputName(const std::string& path) { return path == kStandardInput ? "standard input" : path; }

std::string openablePath(const std::string& path) { return path == kStandardInput ? "/dev/stdin" : path; }

bool isStandardOutput(const std::string& path) { return path.empty() || path == "-"; }

void checkCommandFiles(const std::vector<std::string>& inputs, const std::vector<OutputTarget>& outputs) {
  refuseTwoStandardInputs(inputs);
  refuseTwoStandardOutputs(outputs);
  for (const OutputTarget& output : outputs) refuseOutputAsInput(output, inputs);
}

}  // namespace formats
