#include "discover/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "formats/motif_export.h"

namespace discover {

StepProgress::StepProgress(std::FILE* stream, bool terminal)
    : stream_(stream), terminal_(terminal), start_(std::chrono::steady_clock::now()) {}

StepProgress StepProgress::onStandardError() { return StepProgress(stderr, ::isatty(STDERR_FILENO) == 1); }

void StepProgress::begin(const std::string& step) {
  step_ = step;
  stepStart_ = std::chrono::steady_clock::now();
  if (terminal_) show(step_ + " ...", false);
}

void StepProgress::update(const std::string& detail, double fraction) {
  if (!terminal_) return;
  const int percent = static_cast<int>(std::floor(100.0 * std::min(std::max(fraction, 0.0), 1.0)));
  show(step_ + ": " + detail + " " + std::to_string(percent) + "%", false);
}

void StepProgress::end(const std::string& summary) {
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - stepStart_).count();
  steps_.push_back({step_, summary, seconds});
  show(step_ + ": " + summary + " (" + export_formats::fixedPoint(seconds, 1) + " s)", true);
}

double StepProgress::totalSeconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void StepProgress::show(const std::string& line, bool final) {
  if (!stream_) return;
  // On a terminal the line is rewritten in place: carriage return, then
  // erase to the end of the line.
  if (terminal_) std::fputs("\r\033[K", stream_);
  std::fputs(line.c_str(), stream_);
  if (final) std::fputc('\n', stream_);
  std::fflush(stream_);
}

}  // namespace discover
