// Opening input files for reading.
#pragma once

#include <cstdio>
#include <string>

// Opens a file for reading, or returns null when it cannot be opened or is a
// directory: a directory opens for reading on some systems but holds no text.
// On failure `reason`, when given, receives why ("it is a directory" or the
// system's description of the error).
std::FILE* openForReading(const std::string& name, std::string* reason = nullptr);
