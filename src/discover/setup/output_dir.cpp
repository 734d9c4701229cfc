#include "discover/setup/output_dir.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>
#include <system_error>

#include "base/errors.h"
#include "formats/output_file.h"

namespace fs = std::filesystem;

namespace discover {

namespace {

const char* const kStagingPattern = ".zelkova-discover.XXXXXX";

// The names this program writes into a directory: its fixed results and the
// files of each search under runs/.
bool writtenByThisProgram(const std::string& name) {
  static const std::regex runFile(R"(runs/(decoy[0-9]+_)?l[0-9]+_m[0-9]+\.(out|html|initcore\.txt|initcluster\.txt))");
  for (const char* fixed : {"index.html", "summary.tsv", "sites.tsv", "sites.bed", "known.tsv", "motifs.meme",
                            "motifs.jaspar", "log.txt", "peaks.fa", "background.fa", "background.bed"})
    if (name == fixed) return true;
  return std::regex_match(name, runFile);
}

[[noreturn]] void cannotWrite(const std::string& path, const std::string& reason) {
  throw FatalError("Error: cannot write " + path + ": " + reason + ".\n");
}

void createFolder(const std::string& path) {
  std::error_code error;
  fs::create_directories(path, error);
  if (error || !fs::is_directory(path))
    throw FatalError("Error: cannot create the directory " + path + ": " +
                     (error ? error.message() : std::string("a file of that name is in the way")) + ".\n");
}

}  // namespace

OutputDirectory::OutputDirectory(std::string path, bool force) : path_(std::move(path)), force_(force) {
  std::error_code error;
  const fs::file_status status = fs::status(path_, error);
  if (!fs::exists(status)) return;
  if (!fs::is_directory(status)) throw FatalError("Error: the output " + path_ + " exists and is not a directory.\n");
  if (!force_)
    throw FatalError("Error: the output directory " + path_ +
                     " exists; choose a new one, or pass --force to write into it.\n");
}

OutputDirectory::~OutputDirectory() { abandon(); }

void OutputDirectory::create() {
  std::lock_guard<std::mutex> guard(lock_);
  if (state_ != State::Waiting) throw FatalError("Error: the run was interrupted.\n");
  std::error_code error;
  if (!fs::exists(path_, error)) {
    createFolder(path_);
    createdDirectory_ = true;
  }
  std::string pattern = file(kStagingPattern);
  if (!::mkdtemp(pattern.data())) {
    const int reason = errno;
    if (createdDirectory_) fs::remove(path_, error);
    throw FatalError("Error: cannot create a folder in " + path_ + ": " + std::strerror(reason) + ".\n");
  }
  staging_ = pattern;
  state_ = State::Created;
  createFolder(stagedFile("runs"));
}

std::string OutputDirectory::file(const std::string& name) const { return (fs::path(path_) / name).string(); }

std::string OutputDirectory::stagedFile(const std::string& name) const { return (fs::path(staging_) / name).string(); }

void OutputDirectory::refuseInputs(const std::vector<std::string>& names,
                                   const std::vector<std::string>& inputs) const {
  for (const std::string& name : names) formats::refuseInputAsOutput(file(name), inputs);
}

void OutputDirectory::stageFiles(const std::vector<std::pair<std::string, std::string>>& files) const {
  for (const auto& [name, text] : files) formats::writeWholeFile(stagedFile(name), text);
}

std::vector<std::string> OutputDirectory::stagedNames() const {
  std::vector<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(staging_, error))
    if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), staging_).generic_string());
  if (error) cannotWrite(file("runs"), error.message());
  std::sort(names.begin(), names.end());
  return names;
}

void OutputDirectory::moveStagedFiles(const std::vector<std::string>& names) const {
  // Every place is checked first, so that a directory in the way stops the
  // commit before anything has moved.
  for (const std::string& name : names) {
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(file(name), error))) cannotWrite(file(name), "a directory is in the way");
  }
  createFolder(file("runs"));
  for (const std::string& name : names) {
    std::error_code error;
    fs::rename(stagedFile(name), file(name), error);
    if (error) cannotWrite(file(name), error.message());
  }
}

void OutputDirectory::commit(const std::vector<std::pair<std::string, std::string>>& results) {
  std::lock_guard<std::mutex> guard(lock_);
  if (state_ != State::Created) throw FatalError("Error: the run was interrupted.\n");
  state_ = State::Committing;
  try {
    std::vector<formats::OutputFile> outputs;
    for (const auto& [name, text] : results) {
      outputs.emplace_back(file(name));
      outputs.back().write(text);
    }
    std::vector<std::string> written = stagedNames();
    moveStagedFiles(written);
    for (formats::OutputFile& output : outputs) output.commit();
    for (const auto& result : results) written.push_back(result.first);
    removeEarlierOutputs(written);
    std::error_code error;
    fs::remove_all(staging_, error);
    state_ = State::Committed;
  } catch (...) {
    state_ = State::Created;
    throw;
  }
}

bool OutputDirectory::abandon() noexcept {
  std::lock_guard<std::mutex> guard(lock_);
  if (state_ == State::Committing || state_ == State::Committed) return false;
  if (state_ == State::Created) {
    std::error_code error;
    fs::remove_all(createdDirectory_ ? path_ : staging_, error);
  }
  state_ = State::Abandoned;
  return true;
}

void OutputDirectory::removeEarlierOutputs(const std::vector<std::string>& written) const {
  if (!force_) return;
  for (const fs::path& folder : {fs::path(path_), fs::path(file("runs"))}) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
      const std::string name = fs::relative(entry.path(), path_, error).generic_string();
      if (error || !entry.is_regular_file() || entry.is_symlink() || !writtenByThisProgram(name)) continue;
      if (std::find(written.begin(), written.end(), name) == written.end()) fs::remove(entry.path(), error);
    }
  }
}

}  // namespace discover
