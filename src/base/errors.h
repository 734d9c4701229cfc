// How the engine stops: FatalError for a stop caused by the run's input or
// configuration, Cancelled for a stop its caller asked for, ZK_ASSERT for an
// internal impossibility.
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

// A stop the caller of a run asked for (a program driving the library, such
// as the Python module on Ctrl-C), thrown at the run's next cancellation
// point; nothing the run was writing is left half-written.
class Cancelled : public std::runtime_error {
 public:
  Cancelled() : std::runtime_error("Interrupted.") {}
};

// Aborts on an internal impossibility, naming the failed expression.
[[noreturn]] void assertionFailed(const char* expr, const char* file, int line);
#define ZK_ASSERT(expr) ((expr) ? (void)0 : assertionFailed(#expr, __FILE__, __LINE__))
