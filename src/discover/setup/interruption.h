// Interrupts (SIGINT from Ctrl-C, SIGTERM from a job scheduler, SIGHUP from
// a closed terminal) that end a run cleanly. The signals are blocked in
// every thread and taken by a thread of the watch's own, which runs the
// caller's clean-up with the program's files in a known state (no signal
// handler runs in the middle of a write), and then ends the process by the
// same signal, as the shell expects. SIGPIPE is ignored: a closed standard
// error (`2>&1 | head`) must not end a run half-way; the run goes on.
// Ending so runs no destructor: what a run keeps outside its output
// directory for a while (a genome's index being built) is listed in a
// TemporaryFolders for the clean-up to remove.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "formats/genome.h"

namespace discover {

// Folders a run has made outside its output directory and not yet removed.
class TemporaryFolders {
 public:
  // The notice of a genome's index directory: listed once made, forgotten
  // once removed. The notice refers to this object, which must outlive it.
  formats::ScratchNotice notice();
  // Removes every folder still listed; safe from the watch's thread.
  void removeAll() noexcept;

 private:
  std::mutex lock_;
  std::vector<std::string> folders_;
};

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
