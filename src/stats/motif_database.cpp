#include "stats/motif_database.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "formats/command_files.h"
#include "formats/motif_files.h"
#include "formats/text_lines.h"

namespace stats {

const char* const kBundledFiles[2] = {"jaspar_insecta.jaspar", "jaspar_vertebrates.pfm"};

namespace {

// The folder of the running program, from the link the kernel keeps.
std::string programFolder() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return "";
  path.resize(static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

// The folder of the shared library holding this code, when it is not the
// running program: the Python module, whose collection lies where its
// install tree puts it relative to the module (ZELKOVA_DATA_FROM_MODULE).
std::string moduleFolder(const std::string& program) {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<const void*>(&programFolder), &info) == 0 || !info.dli_fname) return "";
  std::error_code error;
  const std::filesystem::path module = std::filesystem::canonical(info.dli_fname, error);
  if (error || module.parent_path() == std::filesystem::path(program)) return "";
  return module.parent_path().string();
}

// The folder without "..", so that logs name where the collection really is.
std::string canonical(const std::string& folder) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::canonical(folder, error);
  return error ? folder : path.string();
}

bool holdsCollection(const std::string& folder) {
  for (const char* file : kBundledFiles)
    if (!std::ifstream(folder + "/" + file)) return false;
  return true;
}

}  // namespace

std::string bundledFolder() {
  const std::string program = programFolder();
  std::vector<std::string> candidates;
  if (!program.empty()) candidates.push_back(program + "/" ZELKOVA_DATA_FROM_PROGRAMS);
  const std::string module = moduleFolder(program);
  if (!module.empty()) candidates.push_back(module + "/" ZELKOVA_DATA_FROM_MODULE);
  candidates.push_back(ZELKOVA_SOURCE_DATA_DIR "/jaspar");
  for (const std::string& folder : candidates)
    if (holdsCollection(folder)) return canonical(folder);
  return "";
}

std::vector<std::string> resolveFiles(const std::vector<std::string>& files) {
  std::vector<std::string> paths = files;
  if (paths.empty()) {
    const std::string folder = bundledFolder();
    if (folder.empty())
      throw ReadError("the bundled motif collection", 0,
                      "not found beside the program (share/zelkova/jaspar) nor in the source tree; "
                      "name a database with --db");
    for (const char* file : kBundledFiles) paths.push_back(folder + "/" + file);
  }
  return paths;
}

std::vector<formats::Motif> loadMotifDatabase(const std::vector<std::string>& files) {
  return formats::readFiles(resolveFiles(files));
}

}  // namespace stats
