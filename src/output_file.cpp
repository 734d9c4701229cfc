#include "output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace output_file {

void refuseInputAsOutput(const std::string& output, const std::vector<std::string>& inputs) {
  namespace fs = std::filesystem;
  for (const std::string& input : inputs) {
    std::error_code error;
    if (output == input || fs::equivalent(output, input, error))
      throw OutputError("the output " + output + " is also an input; choose another file with -o");
  }
}

namespace {

// mkstemp makes files only the owner may read; the output gets the mode an
// existing file had, or the one a new file would get.
mode_t outputMode(const std::string& path) {
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void write(const std::string& path, const std::string& text) {
  if (path.empty()) {
    std::cout << text << std::flush;
    if (!std::cout) throw OutputError("cannot write to standard output");
    return;
  }
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) throw OutputError("cannot open " + path + " for writing: " + std::strerror(errno));
  std::FILE* file = ::fchmod(fd, outputMode(path)) == 0 ? ::fdopen(fd, "wb") : nullptr;
  if (!file) {
    ::close(fd);
    std::remove(temporary.c_str());
    throw OutputError("cannot open " + path + " for writing: " + std::strerror(errno));
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(temporary.c_str());
    throw OutputError("cannot write " + path + ": " + reason);
  }
}

}  // namespace output_file
