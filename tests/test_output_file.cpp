// Output files: replacement of regular files through a temporary file, links
// followed, devices and FIFOs written in place, every failure reported with
// the system's reason, inputs recognised by device and inode.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fatal_message.h"
#include "formats/output_file.h"
#include "support_files.h"

namespace {

namespace fs = std::filesystem;
using formats::OutputFile;
using testing_support::fatalMessage;
using testing_support::readWholeFile;
using testing_support::TempDir;

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

mode_t typeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & S_IFMT;
}

// A private copy of the full device (major 1, minor 7): every write fails with
// "No space left on device".
std::string makeFullDevice(const TempDir& dir) {
  const std::string path = dir / "full";
  EXPECT_EQ(::mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 7)), 0) << std::strerror(errno);
  return path;
}

// --- Regular files ------------------------------------------------------------

TEST(OutputFileRegular, ReplacesTheTargetOnlyAtCommitAndLeavesNothingElse) {
  TempDir dir;
  const std::string target = dir / "bg.txt";
  writeFile(target, "old model\n");
  OutputFile file(target);
  file.write("new ");
  std::fputs("model\n", file.stream());
  EXPECT_EQ(readWholeFile(target), "old model\n");
  EXPECT_EQ(dir.entries().size(), 2u);  // the target and our temporary file
  file.commit();
  EXPECT_EQ(readWholeFile(target), "new model\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"bg.txt"});
  file.commit();  // a second commit changes nothing
  EXPECT_EQ(readWholeFile(target), "new model\n");
}

TEST(OutputFileRegular, AnOutputNeverCommittedLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  const std::string target = dir / "bg.txt";
  writeFile(target, "old model\n");
  {
    OutputFile file(target);
    file.write("half a model");
  }
  EXPECT_EQ(readWholeFile(target), "old model\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"bg.txt"});
  { OutputFile never(dir / "new.txt"); }
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"bg.txt"});
}

TEST(OutputFileRegular, NewFilesFollowTheUmaskReplacedFilesKeepTheirPermissions) {
  TempDir dir;
  const mode_t savedMask = ::umask(027);
  formats::writeWholeFile(dir / "new.txt", "x");
  ::umask(savedMask);
  writeFile(dir / "private.txt", "old");
  ASSERT_EQ(::chmod((dir / "private.txt").c_str(), 0600), 0);
  formats::writeWholeFile(dir / "private.txt", "new");

  struct stat st {};
  ASSERT_EQ(::stat((dir / "new.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  ASSERT_EQ(::stat((dir / "private.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(readWholeFile(dir / "private.txt"), "new");
}

TEST(OutputFileRegular, FailuresNameThePathAndTheReason) {
  TempDir dir;
  const std::string missing = dir / "missing/bg.txt";
  EXPECT_EQ(fatalMessage([&] { formats::writeWholeFile(missing, "x"); }),
            "Error: cannot write " + missing + ": No such file or directory.\n");
  EXPECT_EQ(fatalMessage([&] { formats::writeWholeFile(dir / "", "x"); }),
            "Error: cannot write " + (dir / "") + ": Is a directory.\n");
  writeFile(dir / "plain", "");
  EXPECT_EQ(fatalMessage([&] { formats::writeWholeFile(dir / "plain/x", "x"); }),
            "Error: cannot write " + (dir / "plain/x") + ": Not a directory.\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"plain"});
}

TEST(OutputFileRegular, AFailedRenameRemovesTheTemporaryAndLeavesWhatTookThePlace) {
  TempDir dir;
  const std::string target = dir / "out.txt";
  OutputFile file(target);
  file.write("text");
  ASSERT_EQ(::mkdir(target.c_str(), 0755), 0);  // a directory appears under the name meanwhile
  try {
    file.commit();
    FAIL() << "commit over a directory succeeded";
  } catch (const WriteError& error) {
    EXPECT_EQ(error.name(), target);
    EXPECT_EQ(error.errorNumber(), EISDIR);
    EXPECT_EQ(std::string(error.what()), "Error: cannot write " + target + ": Is a directory.\n");
  }
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.txt"});
  EXPECT_EQ(typeOf(target), static_cast<mode_t>(S_IFDIR));
}

TEST(OutputFileRegular, LongNamesStillGetATemporaryBesideThem) {
  TempDir dir;
  const std::string target = dir / std::string(250, 'n');
  formats::writeWholeFile(target, "long");
  EXPECT_EQ(readWholeFile(target), "long");
  EXPECT_EQ(dir.entries().size(), 1u);
}

// --- Symbolic links -------------------------------------------------------------

TEST(OutputFileLinks, WritesThroughLinksAndKeepsThem) {
  TempDir dir;
  ASSERT_EQ(::mkdir((dir / "models").c_str(), 0755), 0);
  writeFile(dir / "models/bg.txt", "old");
  // A relative link is read from the link's own directory, and chains are followed.
  ASSERT_EQ(::symlink("models/bg.txt", (dir / "first").c_str()), 0);
  const std::string first = dir / "first";
  ASSERT_EQ(::symlink(first.c_str(), (dir / "second").c_str()), 0);
  formats::writeWholeFile(dir / "second", "new");
  EXPECT_EQ(typeOf(dir / "second"), static_cast<mode_t>(S_IFLNK));
  EXPECT_EQ(typeOf(dir / "first"), static_cast<mode_t>(S_IFLNK));
  EXPECT_EQ(readWholeFile(dir / "models/bg.txt"), "new");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"first", "models", "second"}));
}

TEST(OutputFileLinks, ALinkToNothingMakesItsTarget) {
  TempDir dir;
  ASSERT_EQ(::symlink("made.txt", (dir / "link").c_str()), 0);
  formats::writeWholeFile(dir / "link", "made");
  EXPECT_EQ(typeOf(dir / "link"), static_cast<mode_t>(S_IFLNK));
  EXPECT_EQ(readWholeFile(dir / "made.txt"), "made");
}

TEST(OutputFileLinks, ALoopOfLinksIsRefused) {
  TempDir dir;
  ASSERT_EQ(::symlink("b", (dir / "a").c_str()), 0);
  ASSERT_EQ(::symlink("a", (dir / "b").c_str()), 0);
  EXPECT_EQ(fatalMessage([&] { formats::writeWholeFile(dir / "a", "x"); }),
            "Error: cannot write " + (dir / "a") + ": Too many levels of symbolic links.\n");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a", "b"}));
}

// --- Devices and FIFOs ------------------------------------------------------------

TEST(OutputFileSpecial, AFullDeviceFailsAndStaysADevice) {
  TempDir dir;
  const std::string full = makeFullDevice(dir);
  EXPECT_EQ(fatalMessage([&] { formats::writeWholeFile(full, "a short text"); }),
            "Error: cannot write " + full + ": No space left on device.\n");
  // More than a stream buffer: write() itself fails, not only the flush.
  OutputFile file(full);
  EXPECT_EQ(fatalMessage([&] { file.write(std::string(1 << 20, 'x')); }),
            "Error: cannot write " + full + ": No space left on device.\n");
  EXPECT_NO_THROW(file.commit());  // the failure was reported once, by write()
  // Through fprintf: found by commit.
  OutputFile printed(full);
  std::fprintf(printed.stream(), "%s\n", "line");
  EXPECT_EQ(fatalMessage([&] { printed.commit(); }), "Error: cannot write " + full + ": No space left on device.\n");
  EXPECT_EQ(typeOf(full), static_cast<mode_t>(S_IFCHR));
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"full"});
}

TEST(OutputFileSpecial, ALinkToADeviceWritesIntoTheDevice) {
  TempDir dir;
  ASSERT_EQ(::symlink("/dev/null", (dir / "sink").c_str()), 0);
  formats::writeWholeFile(dir / "sink", "gone");
  EXPECT_EQ(typeOf(dir / "sink"), static_cast<mode_t>(S_IFLNK));
  EXPECT_EQ(typeOf("/dev/null"), static_cast<mode_t>(S_IFCHR));
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"sink"});
}

TEST(OutputFileSpecial, AFifoReaderReceivesTheWholeText) {
  TempDir dir;
  const std::string fifo = dir / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";  // more than a pipe holds
  std::future<std::string> received = std::async(std::launch::async, [&] { return readWholeFile(fifo); });
  formats::writeWholeFile(fifo, text);
  // Releases a reader still waiting because nothing opened the FIFO, so that
  // such a fault fails the test instead of hanging it.
  ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
  EXPECT_EQ(received.get(), text);
  EXPECT_EQ(typeOf(fifo), static_cast<mode_t>(S_IFIFO));
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"pipe"});
}

// --- Standard output ----------------------------------------------------------------

// Standard output sent to the full device while the object lives.
class StdoutOnFullDevice {
 public:
  explicit StdoutOnFullDevice(const std::string& full) {
    std::fflush(stdout);
    saved_ = ::dup(STDOUT_FILENO);
    const int device = ::open(full.c_str(), O_WRONLY);
    ::dup2(device, STDOUT_FILENO);
    ::close(device);
  }
  ~StdoutOnFullDevice() {
    std::fflush(stdout);
    std::clearerr(stdout);
    ::dup2(saved_, STDOUT_FILENO);
    ::close(saved_);
  }

 private:
  int saved_ = -1;
};

TEST(OutputFileStandard, AnOutputThatIsTheConsoleFileIsWrittenThroughTheConsole) {
  TempDir dir;
  const std::string console = dir / "console.txt";
  writeFile(console, "");
  struct stat before {};
  ASSERT_EQ(::stat(console.c_str(), &before), 0);
  std::fflush(stdout);
  const int saved = ::dup(STDOUT_FILENO);
  const int file = ::open(console.c_str(), O_WRONLY | O_APPEND);
  ::dup2(file, STDOUT_FILENO);
  ::close(file);
  std::printf("console line\n");
  {
    OutputFile out("/dev/stdout");
    EXPECT_EQ(out.stream(), stdout);
    out.write("report\n");
    out.commit();
  }
  std::printf("last console line\n");
  std::fflush(stdout);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);

  EXPECT_EQ(readWholeFile(console), "console line\nreport\nlast console line\n");
  struct stat after {};
  ASSERT_EQ(::stat(console.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // not replaced by a new file
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"console.txt"});
}

TEST(OutputFileStandard, LostTextIsReportedOnce) {
  TempDir dir;
  const std::string full = makeFullDevice(dir);
  std::optional<std::string> failure;
  std::string committed;
  std::optional<std::string> afterCommit;
  {
    StdoutOnFullDevice redirected(full);
    std::printf("console text\n");
    failure = formats::standardOutputFailure();
    OutputFile out = OutputFile::standardOutput();
    EXPECT_EQ(out.name(), "standard output");
    out.write("a model\n");
    committed = fatalMessage([&] { out.commit(); });
    afterCommit = formats::standardOutputFailure();
  }
  EXPECT_EQ(failure, std::optional<std::string>("Error: cannot write standard output: No space left on device.\n"));
  EXPECT_EQ(committed, "Error: cannot write standard output: No space left on device.\n");
  EXPECT_EQ(afterCommit, std::nullopt);
  EXPECT_EQ(formats::standardOutputFailure(), std::nullopt);
}

TEST(OutputFileStandard, FinishConsoleRepeatsTheStopOnStandardError) {
  TempDir dir;
  const std::string full = makeFullDevice(dir);
  int status = 0;
  testing::internal::CaptureStderr();
  {
    StdoutOnFullDevice redirected(full);
    std::printf("Error: no sequences found in a.fa.\n");
    // A flush on the way loses the text and the reason of its failure; the
    // failure line itself, sent to the console first, finds the reason again.
    std::fflush(stdout);
    status = formats::finishConsole(1, "Error: no sequences found in a.fa.\n");
  }
  EXPECT_EQ(status, 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: no sequences found in a.fa.\n"
            "Error: cannot write standard output: No space left on device.\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(formats::finishConsole(0, ""), 0);  // a working standard output changes nothing
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// --- Outputs that are inputs ----------------------------------------------------------

TEST(OutputFileInputs, TheSameFileIsRecognisedUnderEveryName) {
  TempDir dir;
  const std::string input = dir / "peaks.fa";
  writeFile(input, ">s\nACGT\n");
  ASSERT_EQ(::link(input.c_str(), (dir / "hard.fa").c_str()), 0);
  ASSERT_EQ(::symlink("peaks.fa", (dir / "soft.fa").c_str()), 0);
  const std::vector<std::string> inputs{dir / "other.fa", input};
  writeFile(dir / "other.fa", ">o\nA\n");
  for (const std::string& output : {input, dir / "./peaks.fa", dir / "hard.fa", dir / "soft.fa"})
    EXPECT_EQ(fatalMessage([&] { formats::refuseInputAsOutput(output, inputs, "report"); }),
              "Error: the report file " + output + " is also an input file.\n");
  EXPECT_EQ(fatalMessage([&] { formats::refuseInputAsOutput(dir / "soft.fa", {dir / "hard.fa"}); }),
            "Error: the output file " + (dir / "soft.fa") + " is also an input file.\n");
  EXPECT_EQ(readWholeFile(input), ">s\nACGT\n");
}

TEST(OutputFileInputs, OtherFilesNewFilesAndDevicesPass) {
  TempDir dir;
  writeFile(dir / "in.fa", ">s\nA\n");
  writeFile(dir / "out.txt", "old");
  const std::vector<std::string> inputs{dir / "in.fa", dir / "missing.fa"};
  EXPECT_NO_THROW(formats::refuseInputAsOutput(dir / "out.txt", inputs));
  EXPECT_NO_THROW(formats::refuseInputAsOutput(dir / "new.txt", inputs));
  EXPECT_NO_THROW(formats::refuseInputAsOutput("", inputs));
  EXPECT_NO_THROW(formats::refuseInputAsOutput("/dev/null", {"/dev/null"}));
}

}  // namespace
