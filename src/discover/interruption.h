// Interrupts (SIGINT from Ctrl-C, SIGTERM from a job scheduler, SIGHUP from
// a closed terminal) that end a run cleanly. The signals are blocked in
// every thread and taken by a thread of the watch's own, which runs the
// caller's clean-up with the program's files in a known state (no signal
// handler runs in the middle of a write), and then ends the process by the
// same signal, as the shell expects. SIGPIPE is ignored: a closed standard
// error (`2>&1 | head`) must not end a run half-way; the run goes on.
#pragma once

#include <functional>
#include <memory>

namespace discover {

class InterruptWatch {
 public:
  // On SIGINT, SIGTERM or SIGHUP, `onInterrupt(signal)` runs on the watch's thread;
  // when it returns true the process ends by that signal, when false the
  // signal is ignored (the run is about to end anyway). Blocks the signals
  // in the calling thread, and so in every thread started after it:
  // construct the watch before any other thread.
  explicit InterruptWatch(std::function<bool(int signal)> onInterrupt);
  // From here on a signal ends the process at once, as by default.
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace discover
