// Every file a program of the project writes goes through here, so that no
// failed write passes as success, no input is overwritten and nothing but our
// own temporary file is ever removed.
//
// How a path is opened (OutputFile's constructor):
//   - a path leading to the file standard output (or standard error) already
//     writes to (-o /dev/stdout, or the file the console is redirected to) is
//     written through that stream, in order with everything else sent there;
//   - symbolic links are followed, link by link, to the path they lead to; the
//     rules below apply to that path, and the links stay as they are;
//   - a path that does not exist or is a regular file is written to a new
//     temporary file in the same directory ("NAME.XXXXXX"), which commit()
//     renames over the path once everything is written: the old file stays
//     whole until then, and a failed or abandoned output leaves it as it was.
//     A replaced file keeps its permission bits; a new one gets 0666 less the
//     umask;
//   - a character or block device, a FIFO or a socket is opened and written
//     directly (opening a FIFO waits for its reader); it is never truncated,
//     renamed over or removed;
//   - a directory is refused.
// Standard output (OutputFile::standardOutput, or "-" or an empty path in
// openOutput and writeWholeFile) is written directly and only flushed, never
// closed.
//
// Checks: write() checks each write; text written through stream() (fprintf)
// is checked by commit(), which also checks the flush, the stream's error
// state, fsync and fclose of a temporary file and the rename. Every failure
// throws WriteError, a FatalError whose text is the one line
//   Error: cannot write NAME: REASON.
// with NAME the path as the caller gave it (or "standard output") and REASON
// the system's (strerror).
//
// Typical uses:
//   formats::refuseInputAsOutput(out, inputs);            // before any writing
//   formats::writeWholeFile(out, text);                   // text built in memory
//
//   formats::OutputFile file(out);                        // streamed
//   std::fprintf(file.stream(), ...);  file.write(chunk);
//   file.commit();                     // without it the destructor discards the output
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"

namespace formats {

// Throws FatalError "Error: the KIND file OUTPUT is also an input file.\n" when
// `output` is, by device and inode, the same regular file as one of `inputs`
// (so "./x", a hard link or a symbolic link to an input is caught). Passes an
// output that does not exist yet and one that is not a regular file (a
// terminal or /dev/null may well be both read and written), and inputs that
// cannot be examined (their own reader reports them).
void refuseInputAsOutput(const std::string& output, const std::vector<std::string>& inputs,
                         const std::string& kind = "output");

class OutputFile {
 public:
  // Opens `path` by the rules above. Throws WriteError naming `path`.
  explicit OutputFile(const std::string& path);
  // Standard output, named "standard output" in messages. After a failure
  // it reports, the text still buffered is dropped and the error flag
  // cleared, so that standardOutputFailure() does not report it again.
  static OutputFile standardOutput();

  OutputFile(OutputFile&&) noexcept;
  OutputFile& operator=(OutputFile&&) noexcept;
  // Without a successful commit(): closes the stream and removes the
  // temporary file, so the target is as it was before (text already sent to
  // a device, a FIFO or standard output cannot be taken back).
  ~OutputFile();

  // The stream to write to; valid until commit() or destruction.
  std::FILE* stream() const;
  // The name used in messages: the path as given, or "standard output".
  const std::string& name() const;

  // Writes `text` whole; throws WriteError at once when it cannot.
  void write(std::string_view text);
  // Completes the output: flushes and checks everything written, closes it
  // and puts a temporary file in place. Throws WriteError (the temporary
  // file is removed then). Once it has run, successfully or not, and after a
  // failed write(), further calls do nothing.
  void commit();

 private:
  struct State;
  explicit OutputFile(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// An output of a companion program: standard output for "-" or an empty path
// (command_files.h), else OutputFile(path).
OutputFile openOutput(const std::string& path);

// Writes `text` to openOutput(path) and commits it. Throws WriteError.
void writeWholeFile(const std::string& path, std::string_view text);

// Flushes standard output and tells whether everything written to it arrived:
// nothing when it did, else the message line
// "Error: cannot write standard output: REASON.\n".
std::optional<std::string> standardOutputFailure();

// The end of a program whose messages go to standard output (zelkova), given
// the status it would end with and the message of the stop it printed there
// (empty after a complete run). When anything written to standard output was
// lost, prints the failure line there and, after the stop's message, on
// standard error, and returns 1; otherwise returns `status`.
int finishConsole(int status, const std::string& stopMessage);

}  // namespace formats
