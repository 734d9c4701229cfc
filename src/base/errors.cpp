#include "base/errors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

ReadError::ReadError(const std::string& source, int line, const std::string& problem)
    : std::runtime_error(source + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + problem),
      line_(line) {}

WriteError::WriteError(const std::string& name, int errorNumber)
    : FatalError("Error: cannot write " + name + ": " + std::strerror(errorNumber) + ".\n"),
      name_(name),
      errorNumber_(errorNumber) {}

void assertionFailed(const char* invariant, const char* file, int line) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s:%d: Assertion `%s' failed.\n", file, line, invariant);
  std::abort();
}
