// The errors of ZELKOVA: every exception type, and the one way to report an
// internal fault.
//
// The rule. A stop is one of two kinds:
//   - Input the user can fix: a file, a command line, a setting or an output
//     that cannot be what the run needs. It is thrown as one of the types
//     below, whose message names what to fix: the file and the line
//     (ReadError), the option (UsageError), the output (WriteError), or says
//     it whole (FatalError). Companion programs (cli::runProgram) print it as
//     "Error: ..." on standard error and end with status 1; the Python module
//     raises zelkova.Error (zelkova.UsageError, also a ValueError, for a
//     UsageError). Cancelled is neither: the caller asked the run to stop.
//   - An internal fault: an invariant of the code itself that no input may
//     break (a caller passing what its callee's contract excludes, a count
//     that must match another). It is never thrown: ZK_ASSERT(expression)
//     or ZK_CHECK(expression, "the invariant in words") names the broken
//     invariant and where it is, and aborts, in every program and in Python
//     alike, as the engine always has.
// A check of input therefore never uses ZK_ASSERT or ZK_CHECK, and a
// broken invariant is never thrown as an exception to catch.
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

// A file that does not have the layout its reader expects, or cannot be
// read. what() reads "SOURCE:LINE: problem", LINE counting from 1; a
// problem of the whole file (one that cannot be opened) has line 0 and reads
// "SOURCE: problem".
class ReadError : public std::runtime_error {
 public:
  ReadError(const std::string& source, int line, const std::string& problem);
  // A message that names the file itself, a sentence such as "cannot read
  // PATH: REASON."; line 0.
  explicit ReadError(const std::string& sentence) : std::runtime_error(sentence), line_(0) {}
  int line() const { return line_; }

 private:
  int line_;
};

// A mistake on a command line (or in the settings a program takes in its
// place); the message is a sentence without "Error: ".
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Creating, writing or completing an output failed. what() is the whole
// message line, "Error: cannot write NAME: REASON.\n".
class WriteError : public FatalError {
 public:
  WriteError(const std::string& name, int errorNumber);
  const std::string& name() const { return name_; }
  int errorNumber() const { return errorNumber_; }

 private:
  std::string name_;
  int errorNumber_;
};

// A stop the caller of a run asked for (a program driving the library, such
// as the Python module on Ctrl-C), thrown at the run's next cancellation
// point; nothing the run was writing is left half-written.
class Cancelled : public std::runtime_error {
 public:
  Cancelled() : std::runtime_error("Interrupted.") {}
};

// Aborts on an internal fault, naming the broken invariant (the failed
// expression, or the invariant in words) and where it was checked.
[[noreturn]] void assertionFailed(const char* invariant, const char* file, int line);
#define ZK_ASSERT(expr) ((expr) ? (void)0 : assertionFailed(#expr, __FILE__, __LINE__))
// `invariant` (anything a std::string is made from) is built only on failure.
#define ZK_CHECK(expr, invariant) \
  ((expr) ? (void)0 : assertionFailed(std::string(invariant).c_str(), __FILE__, __LINE__))
