// Searches run as a library, several at the same time in one process, give
// exactly what the zelkova program gives for the same options: console,
// report, initcore.txt and initcluster.txt.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "formats/output_file.h"
#include "stats/markov_builder.h"
#include "zelkova.h"

namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string masked(const std::string& text) {
  static const std::regex date("Current local time and date: [^\n]*");
  static const std::regex time("Time taken: [0-9.]* seconds\\.");
  return std::regex_replace(std::regex_replace(text, date, "<date>"), time, "<time>");
}

std::string makeTempDir() {
  char name[] = "/tmp/zelkova_concurrentXXXXXX";
  const char* dir = ::mkdtemp(name);
  EXPECT_NE(dir, nullptr);
  return dir ? dir : "";
}

// One search: the options after the three input files, as the command line
// takes them, and the same search as a configuration.
struct Search {
  std::string options;
  RunConfig config;
  std::string dir;      // where the library run writes its files
  std::string console;  // its progress messages
};

RunConfig configFor(int K, bool forwardOnly, int scoring, int mismatches) {
  RunConfig config;
  config.K = K;
  config.forwardOnly = forwardOnly;
  config.scoring_method = scoring;
  config.maxMismatch = mismatches;
  config.numThreads = 2;
  return config;
}

void runBinary(const std::string& inputs, const Search& s, const std::string& dir) {
  const std::string command = "cd " + dir + " && PATH=" ZELKOVA_BIN_DIR ":$PATH zelkova -f " + inputs + "/in.fa -b " +
                              inputs + "/bg.txt -z " + inputs + "/fg.txt -o report.txt " + s.options +
                              " >stdout.txt 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

}  // namespace

TEST(ConcurrentRuns, ThreeSearchesAtOnceMatchTheProgram) {
  const std::string inputs = makeTempDir();
  const std::string fasta = readAll(std::string(ZELKOVA_SOURCE_DIR) + "/examples/crp0.fa");
  std::ofstream(inputs + "/in.fa", std::ios::binary) << fasta;
  const std::vector<FastaRecord> records = readFastaFile(inputs + "/in.fa");
  stats::WordCounts fg(8), bg(4);
  for (const FastaRecord& r : records) fg.addSequence(r.letters, true), bg.addSequence(r.letters, true);
  formats::writeWholeFile(inputs + "/fg.txt", stats::modelText(fg, 1.0));
  formats::writeWholeFile(inputs + "/bg.txt", stats::modelText(bg, 1.0));

  std::vector<Search> searches = {
      {"-l 12 -p 2", configFor(12, false, 2, -1), "", ""},
      {"-l 16 -r -m 4 -p 2", configFor(16, true, 2, 4), "", ""},
      {"-l 8 -s -m 2 -k 2 -p 2", configFor(8, false, 1, 2), "", ""},
  };
  searches[2].config.initMethod = 2;
  for (Search& s : searches) {
    s.dir = makeTempDir();
    s.config.inFile = inputs + "/in.fa";
    s.config.bgModelFile = inputs + "/bg.txt";
    s.config.fgModelFile = inputs + "/fg.txt";
    s.config.outFile = s.dir + "/report.txt";
    s.config.initCoreFile = s.dir + "/initcore.txt";
    s.config.initClusterFile = s.dir + "/initcluster.txt";
    // The report echoes the command line the program would have had.
    s.config.cmdLine =
        " zelkova -f " + inputs + "/in.fa -b " + inputs + "/bg.txt -z " + inputs + "/fg.txt -o report.txt " + s.options;
  }

  std::vector<std::thread> threads;
  std::vector<formats::Report> results(searches.size());
  for (std::size_t i = 0; i < searches.size(); ++i)
    threads.emplace_back([&, i] {
      Search& s = searches[i];
      results[i] = runMotifSearch(s.config, ProgressSink([&s](const std::string& text) { s.console += text; }));
    });
  for (std::thread& t : threads) t.join();

  for (std::size_t i = 0; i < searches.size(); ++i) {
    const Search& s = searches[i];
    SCOPED_TRACE(s.options);
    const std::string programDir = makeTempDir();
    runBinary(inputs, s, programDir);
    std::string programConsole = readAll(programDir + "/stdout.txt");
    programConsole.erase(0, programConsole.find('\n') + 1);  // the banner, which only the program prints
    EXPECT_EQ(masked(s.console), masked(programConsole));
    for (const char* file : {"report.txt", "initcore.txt", "initcluster.txt"})
      EXPECT_EQ(masked(readAll(s.dir + "/" + file)), masked(readAll(programDir + "/" + file))) << file;
    ASSERT_FALSE(results[i].motifs.empty());
    EXPECT_EQ(results[i].parameters.mismatches, s.config.maxMismatch == -1 ? s.config.K / 2 : s.config.maxMismatch);
    EXPECT_EQ(results[i].motifs.front().width(), s.config.K);
    std::system(("rm -rf " + programDir + " " + s.dir).c_str());
  }
  std::system(("rm -rf " + inputs).c_str());
}
