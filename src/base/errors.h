// How the engine stops: FatalError for a stop caused by the run's input or
// configuration, ZK_ASSERT for an internal impossibility.
#pragma once

#include <stdexcept>
#include <string>

// A stop of the run caused by its input or configuration. The message is the
// complete text the command line prints (on standard output, line ends
// included); the process then ends with status 1.
class FatalError : public std::runtime_error {
 public:
  explicit FatalError(const std::string& message) : std::runtime_error(message) {}
};

// Aborts on an internal impossibility, naming the failed expression.
[[noreturn]] void assertionFailed(const char* expr, const char* file, int line);
#define ZK_ASSERT(expr) ((expr) ? (void)0 : assertionFailed(#expr, __FILE__, __LINE__))
