#include "formats/output_file.h"

#include <fcntl.h>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

#include "formats/command_files.h"

namespace formats {

namespace {

const char* const kStandardOutputName = "standard output";

// The kernel gives up after as many links when it resolves a path itself.
constexpr int kMaxLinkHops = 40;

// Room for the ".XXXXXX" of a temporary name within the 255 bytes a file name
// may have on common file systems.
constexpr std::size_t kMaxTemporaryStem = 240;

struct Target {
  std::string path;  // after the links
  bool exists = false;
  struct stat status {};
};

// The path a symbolic link names, read relative to the link's directory.
std::string linkDestination(const std::string& link, const std::string& name) {
  std::string destination(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink(link.c_str(), &destination[0], destination.size());
    if (length < 0) throw WriteError(name, errno);
    if (static_cast<std::size_t>(length) < destination.size()) {
      destination.resize(static_cast<std::size_t>(length));
      break;
    }
    destination.resize(destination.size() * 2);
  }
  const std::size_t slash = link.find_last_of('/');
  if (destination[0] == '/' || slash == std::string::npos) return destination;
  return link.substr(0, slash + 1) + destination;
}

Target followLinks(const std::string& path) {
  Target target;
  target.path = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    if (::lstat(target.path.c_str(), &target.status) != 0) {
      if (errno != ENOENT) throw WriteError(path, errno);
      return target;  // a link to a file yet to be made makes that file
    }
    if (!S_ISLNK(target.status.st_mode)) {
      target.exists = true;
      return target;
    }
    target.path = linkDestination(target.path, path);
  }
  throw WriteError(path, ELOOP);
}

// Standard output or standard error when `file` is what it already writes to
// (-o /dev/stdout, or the file the console is redirected to): writing through
// the stream keeps the order of everything sent there, where a new file
// renamed over the path would cut the console off.
std::FILE* standardStreamOn(const struct stat& file) {
  for (std::FILE* stream : {stdout, stderr}) {
    struct stat st {};
    if (::fstat(::fileno(stream), &st) == 0 && st.st_dev == file.st_dev && st.st_ino == file.st_ino) return stream;
  }
  return nullptr;
}

// A new file beside `target` under a name of its own; created with 0666 so
// that the umask applies as to any other new file. Returns -1 with errno set.
int createTemporary(const std::string& target, std::string& temporary) {
  const std::size_t slash = target.find_last_of('/');
  const std::size_t stemEnd = std::min(target.size(), (slash == std::string::npos ? 0 : slash + 1) + kMaxTemporaryStem);
  const std::string stem = target.substr(0, stemEnd) + ".";
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::mt19937 generator(seed());
  std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = stem;
    for (int i = 0; i < 6; ++i) candidate += kLetters[letter(generator)];
    const int descriptor = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      temporary = candidate;
      return descriptor;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

// Stands for a failure whose reason is gone: the stream keeps its error flag,
// but the C library drops the buffer it could not write, and with it the
// reason, which only a later write that fails again brings back.
constexpr int kReasonLost = -1;

// The error of everything written to `stream` so far, after a flush: 0 when
// all of it arrived, else the system's error number or kReasonLost.
int streamFailure(std::FILE* stream) {
  errno = 0;
  if (std::fflush(stream) != 0) return errno != 0 ? errno : kReasonLost;
  if (std::ferror(stream)) return kReasonLost;
  return 0;
}

int streamError(std::FILE* stream) {
  const int failure = streamFailure(stream);
  return failure == kReasonLost ? EIO : failure;
}

}  // namespace

void refuseInputAsOutput(const std::string& output, const std::vector<std::string>& inputs, const std::string& kind) {
  struct stat out {};
  if (::stat(output.c_str(), &out) != 0 || !S_ISREG(out.st_mode)) return;
  for (const std::string& input : inputs) {
    struct stat in {};
    if (::stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino)
      throw FatalError("Error: the " + kind + " file " + output + " is also an input file.\n");
  }
}

struct OutputFile::State {
  std::string name;       // for messages
  std::string target;     // what the temporary file replaces
  std::string temporary;  // our own file; empty when writing directly
  std::FILE* stream = nullptr;
  bool standard = false;  // stdout: flushed, never closed
  bool finished = false;  // commit() has run, or a write failed

  State() = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    if (!finished) discard();
  }

  void discard() noexcept {
    if (stream && !standard) std::fclose(stream);
    stream = nullptr;
    if (!temporary.empty()) ::unlink(temporary.c_str());
    temporary.clear();
    finished = true;
  }

  [[noreturn]] void fail(int errorNumber) {
    if (standard && stream) {
      // The exception reports the failure; what could not be written is
      // dropped so that the check at the end of the program does not report
      // it a second time.
      __fpurge(stream);
      std::clearerr(stream);
    }
    discard();
    throw WriteError(name, errorNumber);
  }
};

OutputFile::OutputFile(std::unique_ptr<State> state) : state_(std::move(state)) {}

OutputFile::OutputFile(const std::string& path) : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.name = path;
  // stat follows every link, including those of /proc that name pipes and
  // other descriptors rather than paths.
  struct stat reached {};
  const bool reachable = ::stat(path.c_str(), &reached) == 0;
  if (reachable && S_ISDIR(reached.st_mode)) s.fail(EISDIR);
  if (reachable) {
    if (std::FILE* stream = standardStreamOn(reached)) {
      s.stream = stream;
      s.standard = true;
      return;
    }
  }
  int descriptor = -1;
  const Target target = followLinks(path);
  if ((reachable && !S_ISREG(reached.st_mode)) || (target.exists && !S_ISREG(target.status.st_mode))) {
    descriptor = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) s.fail(errno);
  } else {
    descriptor = createTemporary(target.path, s.temporary);
    if (descriptor < 0) s.fail(errno);
    s.target = target.path;
    if (target.exists && ::fchmod(descriptor, target.status.st_mode & 07777) != 0) {
      const int error = errno;
      ::close(descriptor);
      s.fail(error);
    }
  }
  s.stream = ::fdopen(descriptor, "w");
  if (!s.stream) {
    const int error = errno;
    ::close(descriptor);
    s.fail(error);
  }
}

OutputFile OutputFile::standardOutput() {
  auto state = std::make_unique<State>();
  state->name = kStandardOutputName;
  state->stream = stdout;
  state->standard = true;
  return OutputFile(std::move(state));
}

OutputFile::OutputFile(OutputFile&&) noexcept = default;
OutputFile& OutputFile::operator=(OutputFile&&) noexcept = default;
OutputFile::~OutputFile() = default;

std::FILE* OutputFile::stream() const {
  ZK_ASSERT(state_ && state_->stream);
  return state_->stream;
}

const std::string& OutputFile::name() const { return state_->name; }

void OutputFile::write(std::string_view text) {
  State& s = *state_;
  ZK_ASSERT(s.stream);
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), s.stream) != text.size()) s.fail(errno != 0 ? errno : EIO);
}

void OutputFile::commit() {
  State& s = *state_;
  if (s.finished) return;
  int error = streamError(s.stream);
  if (s.standard) {
    if (error != 0) s.fail(error);
    s.finished = true;
    return;
  }
  // The data must be on the disk before the name points at it, or a crash
  // could leave an empty file where the old one was.
  if (error == 0 && !s.temporary.empty() && ::fsync(::fileno(s.stream)) != 0) error = errno;
  if (std::fclose(std::exchange(s.stream, nullptr)) != 0 && error == 0) error = errno;
  if (error == 0 && !s.temporary.empty() && std::rename(s.temporary.c_str(), s.target.c_str()) != 0) error = errno;
  if (error != 0) s.fail(error);
  s.temporary.clear();
  s.finished = true;
}

OutputFile openOutput(const std::string& path) {
  return formats::isStandardOutput(path) ? OutputFile::standardOutput() : OutputFile(path);
}

void writeWholeFile(const std::string& path, std::string_view text) {
  OutputFile file = openOutput(path);
  file.write(text);
  file.commit();
}

std::optional<std::string> standardOutputFailure() {
  const int error = streamError(stdout);
  if (error == 0) return std::nullopt;
  return std::string(WriteError(kStandardOutputName, error).what());
}

int finishConsole(int status, const std::string& stopMessage) {
  int failure = streamFailure(stdout);
  if (failure == 0) return status;
  // The failure line goes to standard output first, like every message of
  // the program; when the reason was lost with an earlier flush (the console
  // flushes after every stage), its first words, failing again, bring the
  // reason back.
  const std::string lead = std::string("Error: cannot write ") + kStandardOutputName + ": ";
  std::fputs(lead.c_str(), stdout);
  if (failure == kReasonLost) failure = streamError(stdout);
  const std::string line = WriteError(kStandardOutputName, failure).what();
  std::fputs(line.c_str() + lead.size(), stdout);
  std::fflush(stdout);
  std::fputs(stopMessage.c_str(), stderr);
  std::fputs(line.c_str(), stderr);
  return 1;
}

}  // namespace formats
