// Writing a program's output safely: to standard output, or to a file that is
// replaced only once the whole text is written (a temporary file beside it,
// renamed over it), and never to a file the program reads.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace output_file {

// An output that could not be written, or that names an input; what() is the
// message without "Error: ".
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws OutputError when `output` is one of `inputs` (the same file, under
// any name or link), before anything is read or written.
void refuseInputAsOutput(const std::string& output, const std::vector<std::string>& inputs);

// Writes `text` whole to `path`, or to standard output when `path` is empty.
// A file is written to a temporary file in the same folder and renamed to
// `path` only when complete, so a failure leaves an existing file as it was.
void write(const std::string& path, const std::string& text);

}  // namespace output_file
