#include "discover/output_dir.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <system_error>

#include "base/errors.h"
#include "formats/output_file.h"

namespace fs = std::filesystem;

namespace discover {

namespace {

// The names this program writes into a directory: its fixed results and the
// files of each search under runs/.
bool writtenByThisProgram(const std::string& name) {
  static const std::regex runFile(
      R"(runs/(decoy[0-9]+_)?l[0-9]+_m[0-9]+\.(out|html|initcore\.txt|initcluster\.txt))");
  for (const char* fixed : {"index.html", "summary.tsv", "sites.tsv", "sites.bed", "known.tsv", "motifs.meme",
                            "motifs.jaspar", "log.txt"})
    if (name == fixed) return true;
  return std::regex_match(name, runFile);
}

}  // namespace

OutputDirectory::OutputDirectory(std::string path, bool force) : path_(std::move(path)), force_(force) {
  std::error_code error;
  const fs::file_status status = fs::status(path_, error);
  if (!fs::exists(status)) return;
  if (!fs::is_directory(status))
    throw FatalError("Error: the output " + path_ + " exists and is not a directory.\n");
  if (!force_)
    throw FatalError("Error: the output directory " + path_ +
                     " exists; choose a new one, or pass --force to write into it.\n");
}

void OutputDirectory::create() {
  for (const std::string& dir : {path_, file("runs")}) {
    std::error_code error;
    fs::create_directories(dir, error);
    if (error || !fs::is_directory(dir))
      throw FatalError("Error: cannot create the directory " + dir + ": " +
                       (error ? error.message() : std::string("a file of that name is in the way")) + ".\n");
  }
}

std::string OutputDirectory::file(const std::string& name) const { return (fs::path(path_) / name).string(); }

void OutputDirectory::refuseInputs(const std::vector<std::string>& names, const std::vector<std::string>& inputs) const {
  for (const std::string& name : names) output_file::refuseInputAsOutput(file(name), inputs);
}

void OutputDirectory::writeFiles(const std::vector<std::pair<std::string, std::string>>& files) const {
  std::vector<output_file::OutputFile> outputs;
  for (const auto& [name, text] : files) {
    outputs.emplace_back(file(name));
    outputs.back().write(text);
  }
  for (output_file::OutputFile& output : outputs) output.commit();
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
