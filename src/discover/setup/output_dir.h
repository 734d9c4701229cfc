// The output directory of a discovery. It must not exist unless the user
// forces it; it is created only once the inputs have been read and checked.
// Everything the run writes while it runs (the reports and pages of the
// searches, side files) goes into a staging folder of its own inside it,
// ".zelkova-discover.XXXXXX"; only at the end (commit) are the results
// written and everything put in place, the page last. A run that fails or
// is interrupted before that removes the staging folder, and the directory
// itself when the run created it: what was there before stays as it was.
#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace discover {

class OutputDirectory {
 public:
  // Throws FatalError when `path` exists and `force` is off, or when it
  // exists and is not a directory.
  OutputDirectory(std::string path, bool force);
  // Abandons the run unless it was committed.
  ~OutputDirectory();
  OutputDirectory(const OutputDirectory&) = delete;
  OutputDirectory& operator=(const OutputDirectory&) = delete;

  // Creates the directory (with its parents) when it does not exist, and the
  // staging folder with its runs/ folder. Throws FatalError.
  void create();

  const std::string& path() const { return path_; }
  // Where `name` (may hold "runs/") ends up in the directory.
  std::string file(const std::string& name) const;
  // Where the run writes `name` until the commit.
  std::string stagedFile(const std::string& name) const;

  // Throws FatalError when any of `names` would be, by device and inode, one
  // of `inputs`.
  void refuseInputs(const std::vector<std::string>& names, const std::vector<std::string>& inputs) const;

  // Writes each (name, text) whole into the staging folder.
  void stageFiles(const std::vector<std::pair<std::string, std::string>>& files) const;

  // Ends the run: writes `results` (name, text) to temporary files beside
  // their places, and only once all are written moves the staged files into
  // place and then the results, in the order given; when the directory was
  // forced, removes the regular files an earlier run of the program wrote
  // there and this one did not (a sites.bed, reports of other searches under
  // runs/), so that nothing in the directory belongs to another run. An
  // interrupt waits until the commit is done. Throws FatalError (the run is
  // then abandoned by the destructor).
  void commit(const std::vector<std::pair<std::string, std::string>>& results);

  // Removes everything this run created: the staging folder, and the
  // directory when the run created it. Does nothing once the commit has
  // begun, and returns false then; safe to call from another thread (the
  // interrupt watch) and more than once.
  bool abandon() noexcept;

 private:
  enum class State { Waiting, Created, Committing, Committed, Abandoned };
  std::vector<std::string> stagedNames() const;
  void moveStagedFiles(const std::vector<std::string>& names) const;
  void removeEarlierOutputs(const std::vector<std::string>& written) const;

  std::string path_;
  bool force_;
  bool createdDirectory_ = false;
  std::string staging_;  // set by create()
  mutable std::mutex lock_;
  State state_ = State::Waiting;
};

}  // namespace discover
