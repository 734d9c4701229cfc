#include "discover/setup/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/errors.h"
#include "formats/numbers.h"

namespace discover {

namespace {

std::string durationText(double seconds) {
  if (seconds < 90) return std::to_string(static_cast<long long>(std::ceil(seconds))) + " s";
  if (seconds < 90 * 60) return std::to_string(std::lround(seconds / 60)) + " min";
  return formats::fixedPoint(seconds / 3600, 1) + " h";
}

}  // namespace

std::string timeLeftText(double elapsedSeconds, double fraction) {
  if (!(fraction >= 0.1) || fraction >= 1.0) return "";
  return "about " + durationText(elapsedSeconds * (1.0 - fraction) / fraction) + " left";
}

StepProgress::StepProgress(std::FILE* stream, bool terminal, std::chrono::milliseconds heartbeat)
    : stream_(stream), terminal_(terminal), heartbeat_(heartbeat), start_(Clock::now()), lastLine_(start_) {
  if (stream_ && !terminal_) beater_ = std::thread([this] { beat(); });
}

StepProgress::StepProgress(Listener listener)
    : stream_(nullptr),
      terminal_(true),
      heartbeat_(kHeartbeat),
      start_(Clock::now()),
      lastLine_(start_),
      listener_(std::move(listener)) {}

StepProgress::~StepProgress() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (beater_.joinable()) beater_.join();
}

StepProgress StepProgress::onStandardError() { return StepProgress(stderr, ::isatty(STDERR_FILENO) == 1); }

void StepProgress::throwIfCancelled() const {
  if (cancelled_) throw Cancelled();
}

void StepProgress::begin(const std::string& step) {
  throwIfCancelled();
  std::lock_guard<std::mutex> guard(lock_);
  step_ = step;
  detail_.clear();
  fraction_ = -1;
  stepStart_ = Clock::now();
  if (terminal_) show(step_ + " ...", false);
}

void StepProgress::update(const std::string& detail, double fraction) {
  throwIfCancelled();
  std::lock_guard<std::mutex> guard(lock_);
  detail_ = detail;
  fraction_ = std::min(std::max(fraction, 0.0), 1.0);
  if (terminal_) show(statusLine(), false);
}

void StepProgress::end(const std::string& summary) {
  throwIfCancelled();
  std::lock_guard<std::mutex> guard(lock_);
  const double seconds = std::chrono::duration<double>(Clock::now() - stepStart_).count();
  steps_.push_back({step_, summary, seconds});
  show(step_ + ": " + summary + " (" + formats::fixedPoint(seconds, 1) + " s)", true);
  step_.clear();
}

void StepProgress::say(const std::string& line) {
  std::lock_guard<std::mutex> guard(lock_);
  show(line, true);
  // On a terminal the step's line comes back below it.
  if (terminal_ && !step_.empty()) show(statusLine(), false);
}

double StepProgress::totalSeconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

std::string StepProgress::statusLine() const {
  const double elapsed = std::chrono::duration<double>(Clock::now() - stepStart_).count();
  std::string line = step_ + ": " + (detail_.empty() ? "" : detail_ + ", ");
  if (fraction_ < 0) return line + "running for " + durationText(elapsed);
  line += std::to_string(static_cast<int>(std::floor(100.0 * fraction_))) + " % done";
  const std::string left = timeLeftText(elapsed, fraction_);
  return left.empty() ? line : line + ", " + left;
}

void StepProgress::show(const std::string& line, bool final) {
  lastLine_ = Clock::now();
  if (listener_) listener_({step_, fraction_, line, final});
  if (!stream_) return;
  // On a terminal the line is rewritten in place: carriage return, then
  // erase to the end of the line.
  if (terminal_) std::fputs("\r\033[K", stream_);
  std::fputs(line.c_str(), stream_);
  if (final) std::fputc('\n', stream_);
  std::fflush(stream_);
}

// Runs on its own thread when the messages do not go to a terminal: while a
// step runs, a line with its state whenever none was written for a heartbeat.
void StepProgress::beat() {
  std::unique_lock<std::mutex> guard(lock_);
  while (!stopping_) {
    if (wake_.wait_until(guard, lastLine_ + heartbeat_, [this] { return stopping_; })) return;
    if (Clock::now() < lastLine_ + heartbeat_) continue;  // a line was written meanwhile
    if (step_.empty())
      lastLine_ = Clock::now();  // between steps there is nothing to tell
    else
      show(statusLine(), true);
  }
}

}  // namespace discover
