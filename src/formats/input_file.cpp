#include "formats/input_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "base/errors.h"

std::FILE* openForReading(const std::string& name, std::string* reason) {
  struct stat st {};
  if (stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    if (reason) *reason = "it is a directory";
    return nullptr;
  }
  std::FILE* file = std::fopen(name.c_str(), "r");
  if (!file && reason) *reason = std::strerror(errno);
  return file;
}

FilePtr openInput(const std::string& name) {
  std::string reason;
  FilePtr file(openForReading(name, &reason));
  if (!file) throw FatalError("Error: cannot read " + name + ": " + reason + ".\n");
  return file;
}
