// Progress of the steps of a discovery on standard error: on a terminal one
// line per step that is rewritten as the step goes on (what it is doing, how
// far it is and, once a tenth is done, the time left); otherwise one line per
// step once it has ended, and while a step runs a line with how far it is at
// least every heartbeat (30 s), so that a log shows the run is alive. The
// time of every step is kept for the log. A program that drives a discovery
// itself may take the lines as events instead, and cancel the run.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace discover {

struct StepTime {
  std::string step;
  std::string summary;
  double seconds = 0;
};

// The longest a log waits for a line while a step runs.
constexpr std::chrono::seconds kHeartbeat{30};

// "about 40 s left" for a step `fraction` done (0 to 1) after `elapsedSeconds`,
// from the pace so far; empty before a tenth is done, when an estimate would
// be a guess.
std::string timeLeftText(double elapsedSeconds, double fraction);

// One line of progress as a listener receives it: the step it belongs to,
// the fraction of the step done (below 0: not told), the line as a terminal
// shows it, and whether it is a step's last line (or a line of its own) rather
// than one that the next replaces.
struct StepEvent {
  std::string step;
  double fraction = -1;
  std::string line;
  bool final = false;
};

class StepProgress {
 public:
  using Listener = std::function<void(const StepEvent& event)>;

  // `stream` may be null (no messages); `terminal` chooses rewritten lines.
  StepProgress(std::FILE* stream, bool terminal, std::chrono::milliseconds heartbeat = kHeartbeat);
  // Every line a terminal would show, as an event, to `listener` (called on
  // the thread of the run that tells, one call at a time).
  explicit StepProgress(Listener listener);
  ~StepProgress();
  StepProgress(const StepProgress&) = delete;
  StepProgress& operator=(const StepProgress&) = delete;

  // Messages to standard error, rewritten when it is a terminal.
  static StepProgress onStandardError();

  void begin(const std::string& step);
  // What the step is doing now and the fraction of it done, 0 to 1.
  void update(const std::string& detail, double fraction);
  // Ends the step with a summary of what it did.
  void end(const std::string& summary);
  // A line of its own (a warning, the last word of the run), apart from the
  // step's line.
  void say(const std::string& line);

  // Asks the run to stop: from now on begin, update and end throw Cancelled,
  // so that the run stops at its next step or, within a search, at its next
  // cluster. Safe from any thread; nothing the run writes changes otherwise.
  void cancel() { cancelled_ = true; }
  bool cancelled() const { return cancelled_; }

  const std::vector<StepTime>& steps() const { return steps_; }
  double totalSeconds() const;

 private:
  using Clock = std::chrono::steady_clock;
  std::string statusLine() const;
  void show(const std::string& line, bool final);
  void beat();
  void throwIfCancelled() const;

  std::FILE* stream_;
  bool terminal_;
  std::chrono::milliseconds heartbeat_;
  std::string step_;  // empty between steps
  std::string detail_;
  double fraction_ = -1;  // below 0: not told
  Clock::time_point stepStart_;
  Clock::time_point start_;
  Clock::time_point lastLine_;
  std::vector<StepTime> steps_;
  Listener listener_;
  std::atomic<bool> cancelled_{false};

  // The heartbeat thread and what it shares with the caller's thread.
  mutable std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread beater_;
};

}  // namespace discover
