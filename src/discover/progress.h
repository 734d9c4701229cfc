// Progress of the steps of a discovery on standard error: on a terminal one
// line per step that is rewritten as the step goes on (what it is doing and
// how far it is); otherwise one line per step once it has ended. The time of
// every step is kept for the log.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace discover {

struct StepTime {
  std::string step;
  std::string summary;
  double seconds = 0;
};

class StepProgress {
 public:
  // `stream` may be null (no messages); `terminal` chooses rewritten lines.
  StepProgress(std::FILE* stream, bool terminal);
  // Messages to standard error, rewritten when it is a terminal.
  static StepProgress onStandardError();

  void begin(const std::string& step);
  // What the step is doing now and the fraction of it done, 0 to 1; shown on
  // a terminal only.
  void update(const std::string& detail, double fraction);
  // Ends the step with a summary of what it did.
  void end(const std::string& summary);

  const std::vector<StepTime>& steps() const { return steps_; }
  double totalSeconds() const;

 private:
  void show(const std::string& line, bool final);

  std::FILE* stream_;
  bool terminal_;
  std::string step_;
  std::chrono::steady_clock::time_point stepStart_;
  std::chrono::steady_clock::time_point start_;
  std::vector<StepTime> steps_;
};

}  // namespace discover
