#include "engine/progress.h"

#include <cstdarg>
#include <vector>

void ProgressSink::write(const std::string& text) const {
  if (writer_)
    writer_(text);
  else if (stream_)
    std::fwrite(text.data(), 1, text.size(), stream_);
}

void ProgressSink::print(const char* format, ...) const {
  if (!writer_ && !stream_) return;
  std::va_list args;
  va_start(args, format);
  std::va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::vector<char> text(static_cast<std::size_t>(n > 0 ? n : 0) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  write(std::string(text.data(), static_cast<std::size_t>(n > 0 ? n : 0)));
}

void ProgressSink::flush() const {
  if (stream_) std::fflush(stream_);
}
