// Where a run's progress messages go. The command line prints them on standard
// output; a program that runs searches itself can capture or silence them.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

class ProgressSink {
 public:
  using Writer = std::function<void(const std::string& text)>;
  // Told each time the engine has refined one more of its initial clusters:
  // how many are done and how many there are. Nothing is printed for it.
  using ClusterCounter = std::function<void(int done, int total)>;

  // Messages to `stream` (standard output by default), flushed where a stage
  // waits for work. A null stream silences them.
  explicit ProgressSink(std::FILE* stream = stdout) : stream_(stream) {}
  // Messages to a function of the caller's, in the order they are printed.
  explicit ProgressSink(Writer writer) : writer_(std::move(writer)) {}

  static ProgressSink silent() { return ProgressSink(static_cast<std::FILE*>(nullptr)); }

  void write(const std::string& text) const;
  void print(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  void flush() const;

  // The stream messages go to, or null when they go to a function or nowhere.
  std::FILE* stream() const { return stream_; }

  // Sets the function told of refined clusters, for a caller that shows how
  // far a search has come.
  void countClusters(ClusterCounter counter) { clusterCounter_ = std::move(counter); }
  void clusterDone(int done, int total) const {
    if (clusterCounter_) clusterCounter_(done, total);
  }

 private:
  std::FILE* stream_ = nullptr;
  Writer writer_;
  ClusterCounter clusterCounter_;
};
