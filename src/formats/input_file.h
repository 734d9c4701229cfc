// Opening input files for reading.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

// Opens a file for reading, or returns null when it cannot be opened or is a
// directory: a directory opens for reading on some systems but holds no text.
// On failure `reason`, when given, receives why ("it is a directory" or the
// system's description of the error).
std::FILE* openForReading(const std::string& name, std::string* reason = nullptr);

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading; throws FatalError "Error: cannot read NAME: REASON."
// when it cannot.
FilePtr openInput(const std::string& name);
