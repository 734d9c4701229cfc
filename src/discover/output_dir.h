// The output directory of a discovery. It must not exist unless the user
// forces it; it is created only once the inputs have been read; each file in
// it is written whole through output_file (a temporary name, renamed once
// complete), and the results are put in place together at the end, the page
// last, so that a run that fails leaves no half-written page or table.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace discover {

class OutputDirectory {
 public:
  // Throws FatalError when `path` exists and `force` is off, or when it
  // exists and is not a directory.
  OutputDirectory(std::string path, bool force);

  // Creates the directory (with its parents) and its runs/ folder.
  void create();

  const std::string& path() const { return path_; }
  // The path of `name` (may hold "runs/") inside the directory.
  std::string file(const std::string& name) const;

  // Throws FatalError when any of `names` would be, by device and inode, one
  // of `inputs`.
  void refuseInputs(const std::vector<std::string>& names, const std::vector<std::string>& inputs) const;

  // Writes each (name, text) to its temporary file, and only when all are
  // written puts them in place, in the order given.
  void writeFiles(const std::vector<std::pair<std::string, std::string>>& files) const;

  // When the directory was forced: removes the regular files an earlier run
  // of the program wrote there and this run did not write again (a sites.bed,
  // reports of other searches under runs/), so that nothing in the directory
  // belongs to another run. `written` holds the names this run wrote.
  void removeEarlierOutputs(const std::vector<std::string>& written) const;

 private:
  std::string path_;
  bool force_;
};

}  // namespace discover
