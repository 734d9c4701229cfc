#include "discover/setup/interruption.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

namespace discover {

namespace {

sigset_t interrupts() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

// Ends the process by `signal` with its default action.
[[noreturn]] void endBy(int signal) {
  std::signal(signal, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  std::raise(signal);
  std::_Exit(128 + signal);  // not reached: the default action ends the process
}

}  // namespace

// What the watch's thread shares with the watch; it outlives the watch, as
// the thread runs until the process ends.
struct InterruptWatch::Shared {
  std::mutex lock;
  std::function<bool(int)> onInterrupt;  // empty once the watch is gone
};

InterruptWatch::InterruptWatch(std::function<bool(int signal)> onInterrupt) : shared_(std::make_shared<Shared>()) {
  shared_->onInterrupt = std::move(onInterrupt);
  std::signal(SIGPIPE, SIG_IGN);
  const sigset_t set = interrupts();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([shared = shared_, set] {
    for (;;) {
      int signal = 0;
      if (sigwait(&set, &signal) != 0) continue;
      std::lock_guard<std::mutex> guard(shared->lock);
      if (!shared->onInterrupt || shared->onInterrupt(signal)) endBy(signal);
    }
  }).detach();
}

formats::ScratchNotice TemporaryFolders::notice() {
  return [this](const std::string& folder, bool made) {
    std::lock_guard<std::mutex> guard(lock_);
    if (made)
      folders_.push_back(folder);
    else
      folders_.erase(std::remove(folders_.begin(), folders_.end(), folder), folders_.end());
  };
}

void TemporaryFolders::removeAll() noexcept {
  std::lock_guard<std::mutex> guard(lock_);
  for (const std::string& folder : folders_) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  folders_.clear();
}

InterruptWatch::~InterruptWatch() {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->onInterrupt = nullptr;
}

}  // namespace discover
