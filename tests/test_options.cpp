// Command line: option walk, immediate stops, the resolution of the
// configuration (checks, defaults and clamping), derived report names, the
// command-line echo and the usage text.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/parallel.h"
#include "cli/zelkova_command.h"
#include "cli/zelkova_options.h"
#include "engine/progress.h"
#include "engine/run_config.h"
#include "support.h"

namespace {

using testing_support::CapturedStdout;
using testing_support::CollectedProgress;

const std::string kBanner = "ZELKOVA VERSION 1.0, by the ZELKOVA developers\n";

const std::string kMissingF = "\n-f option. Input sequence file name is not specified.\n";
const std::string kMissingL = "\n-l option. Motif length is not specified [6-20]\n";
const std::string kMissingB = "\n7-order markov chain model for background sequences is required.\n";
const std::string kMissingZ = "\n7-order markov chain model for input sequences is required.\n";
const std::string kLengthError = "Error: Allowed motif length is between 6 to 20.\n";

std::vector<const char*> argvOf(const std::vector<std::string>& words) {
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  return argv;
}

std::vector<std::string> withProgramName(const std::vector<std::string>& words) {
  std::vector<std::string> all = {"zelkova"};
  all.insert(all.end(), words.begin(), words.end());
  return all;
}

// The configuration "zelkova <words>" names, as given.
RunConfig parse(const std::vector<std::string>& words) {
  const std::vector<std::string> all = withProgramName(words);
  const auto argv = argvOf(all);
  return parseCommandLine(static_cast<int>(all.size()), argv.data()).config;
}

// What the command line's run does before the search: the banner, the parse
// and the resolution. `console` receives what they printed.
RunConfig resolveWords(const std::vector<std::string>& words, std::string* console = nullptr) {
  const std::vector<std::string> all = withProgramName(words);
  const auto argv = argvOf(all);
  CollectedProgress progress;
  opening(progress.sink());
  const CommandLine cl = parseCommandLine(static_cast<int>(all.size()), argv.data());
  RunConfig config = resolveRunConfig(cl.config, cl.given, progress.sink());
  if (console) *console = progress.text();
  return config;
}

// The required four options with small names, followed by `extra`, resolved.
RunConfig parseWith(const std::vector<std::string>& extra, std::string* console = nullptr) {
  std::vector<std::string> words = {"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt"};
  words.insert(words.end(), extra.begin(), extra.end());
  return resolveWords(words, console);
}

struct Stop {
  bool stopped = false;
  std::string message;  // the text the stop carries
  std::string console;  // what was printed before the stop
};

// The stop of the banner, parse and resolution of "zelkova <words>".
Stop parseStop(const std::vector<std::string>& words) {
  const std::vector<std::string> all = withProgramName(words);
  const auto argv = argvOf(all);
  Stop s;
  CollectedProgress progress;
  try {
    opening(progress.sink());
    const CommandLine cl = parseCommandLine(static_cast<int>(all.size()), argv.data());
    resolveRunConfig(cl.config, cl.given, progress.sink());
  } catch (const FatalError& e) {
    s.stopped = true;
    s.message = e.what();
  }
  s.console = progress.text();
  return s;
}

// The stop with which resolveRunConfig refuses a configuration built in code,
// and what it printed before; no stop leaves `message` empty.
Stop resolutionStop(const RunConfig& config) {
  Stop s;
  CollectedProgress progress;
  try {
    resolveRunConfig(config, progress.sink());
  } catch (const FatalError& e) {
    s.stopped = true;
    s.message = e.what();
  }
  s.console = progress.text();
  return s;
}

// A configuration built in code that names every required input.
RunConfig completeConfig() {
  RunConfig config;
  config.inFile = "seqs.fa";
  config.bgModelFile = "bg.txt";
  config.fgModelFile = "fg.txt";
  config.K = 8;
  return config;
}

// Every field of a configuration, one "name=value" line each, so that two
// configurations compare in one assertion and a difference names its field.
std::string describe(const RunConfig& c) {
  std::ostringstream out;
  const auto optional = [](const auto& v) {
    std::ostringstream text;
    if (v)
      text << *v;
    else
      text << "(unset)";
    return text.str();
  };
  out.precision(17);
  out << "inFile=" << c.inFile << "\nbgModelFile=" << c.bgModelFile << "\nfgModelFile=" << c.fgModelFile
      << "\noutFile=" << optional(c.outFile) << "\ninitCoreFile=" << optional(c.initCoreFile)
      << "\ninitClusterFile=" << optional(c.initClusterFile) << "\nK=" << c.K << "\nmaxMismatch=" << c.maxMismatch
      << "\nnumSeedSeqs=" << optional(c.numSeedSeqs) << "\nselectByScore=" << c.selectByScore
      << "\ninitMethod=" << c.initMethod << "\nscoring_method=" << c.scoring_method << "\nforwardOnly=" << c.forwardOnly
      << "\nnumClusters=" << c.numClusters << "\nnumTopMotifs=" << c.numTopMotifs
      << "\nscanThreshold=" << c.scanThreshold << "\nMIN_COMPLEXITY=" << c.MIN_COMPLEXITY
      << "\nnumThreads=" << optional(c.numThreads) << "\nmaxRecordLength=" << c.maxRecordLength
      << "\ncmdLine=" << c.cmdLine << "\n";
  return out.str();
}

// Runs the whole program on the words (program name included) and returns
// the exit status with everything it printed.
int runProgram(const std::vector<std::string>& words, std::string& console) {
  const auto argv = argvOf(words);
  CapturedStdout out;
  const int status = runZelkova(static_cast<int>(words.size()), argv.data());
  console = out.text();
  return status;
}

}  // namespace

TEST(CommandLine, DefaultsOfAMinimalCommandLine) {
  // As given: nothing is chosen or clamped yet, and nothing is printed.
  CapturedStdout out;
  const RunConfig given = parse({"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt"});
  EXPECT_EQ(out.text(), "");
  EXPECT_EQ(given.inFile, "seqs.fa");
  EXPECT_EQ(given.bgModelFile, "bg.txt");
  EXPECT_EQ(given.fgModelFile, "fg.txt");
  EXPECT_EQ(given.outFile, std::optional<std::string>("seqs.out"));
  EXPECT_EQ(given.initCoreFile, std::optional<std::string>("initcore.txt"));
  EXPECT_EQ(given.initClusterFile, std::optional<std::string>("initcluster.txt"));
  EXPECT_EQ(given.K, 8);
  EXPECT_EQ(given.maxMismatch, -1);
  EXPECT_FALSE(given.numSeedSeqs.has_value());
  EXPECT_FALSE(given.numThreads.has_value());
  EXPECT_EQ(given.numTopMotifs, 10);
  EXPECT_EQ(given.scanThreshold, 0.8);
  EXPECT_EQ(given.numClusters, 40);
  EXPECT_EQ(given.initMethod, 1);
  EXPECT_FALSE(given.selectByScore);
  EXPECT_EQ(given.MIN_COMPLEXITY, 0.15);
  EXPECT_FALSE(given.forwardOnly);
  EXPECT_EQ(given.scoring_method, 2);
  EXPECT_EQ(given.maxRecordLength, 4999);

  // Resolved: the defaults that depend on other values are chosen.
  std::string console;
  const RunConfig p = parseWith({}, &console);
  EXPECT_EQ(console, kBanner);
  EXPECT_EQ(p.maxMismatch, 4);              // K/2
  EXPECT_FALSE(p.numSeedSeqs.has_value());  // ceil(log2 N), once N is known
  EXPECT_EQ(p.numThreads, std::optional<int>(availableProcessors()));
  EXPECT_EQ(p.scanThreshold, 0.8f);  // held in single precision
  EXPECT_EQ(p.K, 8);
  EXPECT_EQ(p.MIN_COMPLEXITY, 0.15);
  EXPECT_FALSE(p.forwardOnly);
  EXPECT_EQ(p.scoring_method, 2);
  EXPECT_EQ(p.numClusters, 40);
  EXPECT_EQ(p.initMethod, 1);
  EXPECT_EQ(p.outFile, std::optional<std::string>("seqs.out"));
}

TEST(CommandLine, EveryParseStartsFromTheDefaults) {
  // A configuration of an earlier parse does not leak into a later one, and
  // the same words parse to the same configuration.
  const RunConfig minimal = parse({"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt"});
  const RunConfig busy =
      parse({"-f", "other.fa", "-l", "17", "-b", "b",  "-z", "z",       "-c",      "3.5", "-r",   "-s",
             "-m", "3",        "-i", "2",  "-j", "-p", "3",  "-noside", "-maxlen", "100", "-thr", "0.9"});
  EXPECT_EQ(busy.K, 17);
  EXPECT_EQ(busy.MIN_COMPLEXITY, 3.5);
  EXPECT_TRUE(busy.forwardOnly);
  EXPECT_EQ(busy.scoring_method, 1);
  const RunConfig again = parse({"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt"});
  EXPECT_EQ(describe(again), describe(minimal));
  EXPECT_EQ(describe(parseWith({})), describe(parseWith({})));
}

TEST(CommandLine, FlagOptionsTakeNoValueWord) {
  // Each flag is followed directly by another option: had a flag swallowed the
  // next word, a required option would be missing.
  const RunConfig p =
      resolveWords({"-s", "-f", "seqs.fa", "-r", "-l", "6", "-any", "-b", "bg.txt", "-j", "-z", "fg.txt", "-noside"});
  EXPECT_EQ(p.scoring_method, 1);
  EXPECT_TRUE(p.forwardOnly);
  EXPECT_TRUE(p.selectByScore);
  EXPECT_FALSE(p.initCoreFile.has_value());
  EXPECT_FALSE(p.initClusterFile.has_value());
  EXPECT_EQ(p.K, 6);
  EXPECT_EQ(p.inFile, "seqs.fa");
  // -any is accepted and changes nothing but the echoed command line.
  RunConfig withAny = parseWith({"-any"});
  RunConfig without = parseWith({});
  EXPECT_EQ(withAny.cmdLine, without.cmdLine + " -any");
  withAny.cmdLine = without.cmdLine;
  EXPECT_EQ(describe(withAny), describe(without));
}

TEST(CommandLine, ValueOptionsStoreTheirValues) {
  const std::vector<std::string> words = {
      "-f", "seqs.fa", "-l", "8",          "-b",   "bg.txt", "-z", "fg.txt", "-m", "3",  "-n", "4", "-i",      "2",
      "-k", "7",       "-o", "result.txt", "-thr", "0.9",    "-c", "0.5",    "-v", "55", "-p", "3", "-maxlen", "120"};
  const RunConfig given = parse(words);
  EXPECT_EQ(given.initMethod, 7);  // as given; resolution maps it to 1
  const RunConfig p = resolveWords(words);
  EXPECT_EQ(p.maxMismatch, 3);
  EXPECT_EQ(p.numTopMotifs, 4);
  EXPECT_EQ(p.numSeedSeqs, std::optional<int>(2));
  EXPECT_EQ(p.initMethod, 1);
  EXPECT_EQ(p.outFile, std::optional<std::string>("result.txt"));
  EXPECT_EQ(p.scanThreshold, 0.9f);
  EXPECT_EQ(p.MIN_COMPLEXITY, 0.5);
  EXPECT_EQ(p.numClusters, 55);
  EXPECT_EQ(p.numThreads, std::optional<int>(3));
  EXPECT_EQ(p.maxRecordLength, 120);
  // The initialisation methods 1 to 3 are kept; any other becomes 1.
  for (int method : {-1, 0, 1, 2, 3, 4}) {
    EXPECT_EQ(parseWith({"-k", std::to_string(method)}).initMethod, method >= 1 && method <= 3 ? method : 1) << method;
  }
}

TEST(CommandLine, LaterOccurrenceOverridesEarlierOne) {
  const RunConfig p =
      resolveWords({"-f", "first.fa", "-l", "7",  "-b", "b1", "-z", "z1", "-f",   "second.fa", "-l",   "9",
                    "-b", "b2",       "-z", "z2", "-n", "3",  "-n", "5",  "-thr", "0.9",       "-thr", "0.7"});
  EXPECT_EQ(p.inFile, "second.fa");
  EXPECT_EQ(p.outFile, std::optional<std::string>("second.out"));
  EXPECT_EQ(p.bgModelFile, "b2");
  EXPECT_EQ(p.fgModelFile, "z2");
  EXPECT_EQ(p.K, 9);
  EXPECT_EQ(p.numTopMotifs, 5);
  EXPECT_EQ(p.scanThreshold, 0.75f);
}

TEST(CommandLine, MotifLengthRange) {
  for (const char* ok : {"6", "20", "13"}) EXPECT_EQ(parseWith({"-l", ok}).K, std::atoi(ok)) << ok;
  // Trailing characters are ignored and leading blanks skipped, as atoi does.
  EXPECT_EQ(parseWith({"-l", "8abc"}).K, 8);
  EXPECT_EQ(parseWith({"-l", " 7"}).K, 7);
  // 4294967304 would wrap to 8 in 32 bits; it must saturate and be refused.
  for (const char* bad : {"5", "21", "0", "-6", "six", "", "4294967304", "99999999999999999999999"}) {
    const Stop s = parseStop({"-f", "seqs.fa", "-l", bad, "-b", "bg.txt", "-z", "fg.txt"});
    EXPECT_TRUE(s.stopped) << bad;
    EXPECT_EQ(s.message, kLengthError) << bad;
    EXPECT_EQ(s.console, kBanner) << bad;
  }
}

TEST(CommandLine, ImmediateStopsIgnoreTheRestOfTheLine) {
  // The motif-length error comes before -h is looked at.
  Stop s = parseStop({"-l", "3", "-h"});
  EXPECT_EQ(s.message, kLengthError);
  // -h stops before the bad length after it.
  s = parseStop({"-h", "-l", "3"});
  EXPECT_EQ(s.message, usageText("zelkova"));
  // An unknown word stops before a bad length and before the missing value.
  s = parseStop({"-x", "-l", "3", "-f"});
  EXPECT_EQ(s.message, "Invalid option -x\n");
  // A stop during the walk comes before the mismatch warning and the checks
  // made after the walk: only the banner has been printed.
  s = parseStop({"-m", "9", "-n", "0", "-i", "0", "-l", "5"});
  EXPECT_EQ(s.message, kLengthError);
  EXPECT_EQ(s.console, kBanner);
  s = parseStop({"-m", "9", "-n", "0", "-o"});
  EXPECT_EQ(s.message, "Missing value for option -o\n");
  EXPECT_EQ(s.console, kBanner);
}

TEST(CommandLine, UnknownWordsAreMatchedExactly) {
  for (const char* word : {"-x", "-F", "-L", "--f", "-ff", "f", "-thr0.8", "-", "", "-help", "-anyx", "seqs.fa"}) {
    const Stop s = parseStop({"-f", "seqs.fa", word, "-l", "8", "-b", "bg.txt", "-z", "fg.txt"});
    EXPECT_TRUE(s.stopped) << word;
    EXPECT_EQ(s.message, std::string("Invalid option ") + word + "\n");
    EXPECT_EQ(s.console, kBanner);
  }
}

TEST(CommandLine, ValueOptionAsLastWord) {
  for (const char* opt : {"-f", "-l", "-m", "-b", "-n", "-thr", "-o", "-i", "-c", "-v", "-k", "-z", "-p", "-maxlen"}) {
    Stop s = parseStop({opt});
    EXPECT_TRUE(s.stopped) << opt;
    EXPECT_EQ(s.message, std::string("Missing value for option ") + opt + "\n");
    EXPECT_EQ(s.console, kBanner);
    // Also after a complete command line.
    s = parseStop({"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt", opt});
    EXPECT_EQ(s.message, std::string("Missing value for option ") + opt + "\n");
  }
  // Flags are complete on their own as the last word.
  for (const char* flag : {"-j", "-any", "-r", "-s", "-noside"}) EXPECT_NO_THROW(parseWith({flag})) << flag;
}

TEST(CommandLine, ValueWordIsTakenVerbatim) {
  // The word after a value option is its value even when it looks like an option.
  const RunConfig p = parse({"-f", "seqs.fa", "-o", "-h", "-l", "8", "-b", "-z", "-z", "fg.txt"});
  EXPECT_EQ(p.outFile, std::optional<std::string>("-h"));
  EXPECT_EQ(p.bgModelFile, "-z");
  EXPECT_EQ(p.fgModelFile, "fg.txt");
  // "-f -l": -l is the file name, so -l, -b and -z are missing.
  const Stop s = parseStop({"-f", "-l"});
  EXPECT_EQ(s.message, kMissingL + kMissingB + kMissingZ);
}

TEST(CommandLine, MissingRequiredOptionsReportedTogetherInOrder) {
  const std::vector<std::string> option[4] = {{"-f", "seqs.fa"}, {"-l", "8"}, {"-b", "bg.txt"}, {"-z", "fg.txt"}};
  const std::string message[4] = {kMissingF, kMissingL, kMissingB, kMissingZ};
  for (int present = 0; present < 15; ++present) {  // 15: all present parses
    std::vector<std::string> words;
    std::string expected;
    // Given in reverse order, to show the messages follow -f -l -b -z.
    for (int i = 3; i >= 0; --i)
      if (present & (1 << i)) words.insert(words.end(), option[i].begin(), option[i].end());
    for (int i = 0; i < 4; ++i)
      if (!(present & (1 << i))) expected += message[i];
    const Stop s = parseStop(words);
    EXPECT_TRUE(s.stopped) << present;
    EXPECT_EQ(s.message, expected) << present;
    EXPECT_EQ(s.console, kBanner) << present;
  }
}

TEST(CommandLine, MismatchCheck) {
  std::string console;
  const std::string warning8 =
      "Warning!!!\nInvalid mismatch value (-m option). Valid values are (0,8).\nDefault mismatch value is used.\n";
  // A refused value gives way to the default, K/2.
  RunConfig p = parseWith({"-m", "8"}, &console);
  EXPECT_EQ(console, kBanner + warning8);
  EXPECT_EQ(p.maxMismatch, 4);
  p = parseWith({"-m", "-2"}, &console);
  EXPECT_EQ(console, kBanner + warning8);
  EXPECT_EQ(p.maxMismatch, 4);
  p = parseWith({"-m", "99999999999"}, &console);  // saturates, still too large
  EXPECT_EQ(console, kBanner + warning8);
  EXPECT_EQ(p.maxMismatch, 4);
  for (int kept : {0, 1, 7}) {
    p = parseWith({"-m", std::to_string(kept)}, &console);
    EXPECT_EQ(console, kBanner);
    EXPECT_EQ(p.maxMismatch, kept);
  }
  p = parseWith({"-m", "-1"}, &console);  // the same as no -m
  EXPECT_EQ(console, kBanner);
  EXPECT_EQ(p.maxMismatch, 4);
  EXPECT_EQ(parseWith({"-l", "7"}).maxMismatch, 3);  // K/2 rounded down
  // The check uses the final motif length, whatever the order of -m and -l.
  p = resolveWords({"-m", "8", "-f", "s.fa", "-l", "9", "-b", "b", "-z", "z"}, &console);
  EXPECT_EQ(console, kBanner);
  EXPECT_EQ(p.maxMismatch, 8);
  // Without -l the length is 0: the warning names (0,0) and -l is then missing.
  const Stop s = parseStop({"-m", "2", "-f", "seqs.fa", "-b", "bg.txt", "-z", "fg.txt"});
  EXPECT_EQ(s.console, kBanner +
                           "Warning!!!\nInvalid mismatch value (-m option). Valid values are (0,0).\n"
                           "Default mismatch value is used.\n");
  EXPECT_EQ(s.message, kMissingL);
}

TEST(CommandLine, NumberOfMotifsAtLeastOne) {
  const std::string error = "Error: number of motifs (-n) must be at least 1.\n";
  // Checked before the required options: nothing else is reported.
  Stop s = parseStop({"-n", "0"});
  EXPECT_EQ(s.message, error);
  EXPECT_EQ(s.console, kBanner);
  for (const char* bad : {"-3", "abc", "-99999999999"}) {
    s = parseStop({"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt", "-n", bad});
    EXPECT_EQ(s.message, error) << bad;
  }
  EXPECT_EQ(parseWith({"-n", "1"}).numTopMotifs, 1);
  EXPECT_EQ(parseWith({"-n", "2000000000"}).numTopMotifs, 2000000000);
  EXPECT_EQ(parseWith({"-n", "99999999999"}).numTopMotifs, INT_MAX);
}

TEST(CommandLine, NumberOfSeedSequencesAtLeastOne) {
  const std::string error = "Error: number of seed sequences (-i) must be at least 1.\n";
  for (const char* bad : {"0", "-1", "-7", "none"}) {
    const Stop s = parseStop({"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt", "-i", bad});
    EXPECT_TRUE(s.stopped) << bad;
    EXPECT_EQ(s.message, error) << bad;
    EXPECT_EQ(s.console, kBanner) << bad;
  }
  EXPECT_EQ(parseWith({"-i", "1"}).numSeedSeqs, std::optional<int>(1));
  EXPECT_EQ(parseWith({"-i", "1000"}).numSeedSeqs, std::optional<int>(1000));  // held to N after loading
}

TEST(CommandLine, ScanThresholdRangeInSinglePrecision) {
  struct Case {
    const char* text;
    float expected;
  };
  const Case cases[] = {
      {"0.7", 0.75f},               // 0.7 in single precision lies below the double 0.7
      {"0.70000001", 0.75f},        // rounds to the same single as 0.7
      {"0.70000003", 0.70000003f},  // rounds to the next single, above 0.7
      {"0.71", 0.71f},
      {"1", 1.0f},
      {"1.00000001", 1.0f},  // rounds to exactly 1 in single precision
      {"1.0000001", 0.75f},
      {"1.01", 0.75f},
      {"0.5", 0.75f},
      {"0", 0.75f},
      {"-0.8", 0.75f},
      {"abc", 0.75f},    // reads as 0
      {"0.9xyz", 0.9f},  // trailing text ignored
      {"nan", 0.75f},
      {"inf", 0.75f},
      {"-inf", 0.75f},
  };
  for (const Case& c : cases) EXPECT_EQ(parseWith({"-thr", c.text}).scanThreshold, c.expected) << c.text;
  EXPECT_EQ(parseWith({}).scanThreshold, 0.8f);
}

TEST(CommandLine, ComplexityClamping) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {{"-1", 0.0},  {"12", 10.0},  {"10", 10.0},  {"10.5", 10.0}, {"0", 0.0},     {"0.5", 0.5},
                        {"abc", 0.0}, {"nan", 0.15}, {"inf", 10.0}, {"-inf", 0.0},  {"1e300", 10.0}};
  for (const Case& c : cases) EXPECT_EQ(parseWith({"-c", c.text}).MIN_COMPLEXITY, c.expected) << c.text;
}

TEST(CommandLine, ClusterCountClamping) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {{"5", 10},    {"9", 10}, {"10", 10}, {"40", 40},           {"100", 100},        {"101", 100},
                        {"500", 100}, {"x", 10}, {"-3", 10}, {"99999999999", 100}, {"-99999999999", 10}};
  for (const Case& c : cases) EXPECT_EQ(parseWith({"-v", c.text}).numClusters, c.expected) << c.text;
}

TEST(CommandLine, ThreadsAndLongestRecordAtLeastOne) {
  for (const char* bad : {"0", "-2", "x"}) {
    Stop s = parseStop({"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt", "-p", bad});
    EXPECT_EQ(s.message, "Error: number of threads (-p) must be at least 1.\n") << bad;
    EXPECT_EQ(s.console, kBanner);
    s = parseStop({"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt", "-maxlen", bad});
    EXPECT_EQ(s.message, "Error: the longest record (-maxlen) must be at least 1 letter.\n") << bad;
  }
  // Like -n and -i, checked before the required options.
  EXPECT_EQ(parseStop({"-p", "0"}).message, "Error: number of threads (-p) must be at least 1.\n");
  EXPECT_EQ(parseWith({"-p", "1"}).numThreads, std::optional<int>(1));
  EXPECT_EQ(parseWith({"-maxlen", "1"}).maxRecordLength, 1);
}

// A configuration built in code is held to the rules of the command line,
// with the same messages; the inputs it names by their values.
TEST(RunConfiguration, CodeBuiltConfigurationIsCheckedLikeTheCommandLine) {
  for (int bad : {5, 21, -6, INT_MAX}) {
    RunConfig config = completeConfig();
    config.K = bad;
    const Stop s = resolutionStop(config);
    EXPECT_EQ(s.message, kLengthError) << bad;
    EXPECT_EQ(s.console, "");
  }
  // The motif length is checked before everything else, the mismatch
  // warning comes next, then -n, and the missing inputs last, all together.
  RunConfig config;
  config.K = 4;
  config.numTopMotifs = 0;
  EXPECT_EQ(resolutionStop(config).message, kLengthError);
  config.K = 8;
  config.maxMismatch = 8;
  Stop s = resolutionStop(config);
  EXPECT_EQ(s.message, "Error: number of motifs (-n) must be at least 1.\n");
  EXPECT_EQ(
      s.console,
      "Warning!!!\nInvalid mismatch value (-m option). Valid values are (0,8).\nDefault mismatch value is used.\n");
  config.numTopMotifs = 1;
  EXPECT_EQ(resolutionStop(config).message, kMissingF + kMissingB + kMissingZ);
  config.K = 0;
  config.bgModelFile = "bg.txt";
  EXPECT_EQ(resolutionStop(config).message, kMissingF + kMissingL + kMissingZ);
  for (const auto& [field, message] : {std::make_pair(&RunConfig::numSeedSeqs, std::string("seed sequences (-i)")),
                                       std::make_pair(&RunConfig::numThreads, std::string("threads (-p)"))}) {
    RunConfig zero = completeConfig();
    zero.*field = 0;
    EXPECT_EQ(resolutionStop(zero).message, "Error: number of " + message + " must be at least 1.\n");
  }
}

TEST(RunConfiguration, ResolutionChoosesDefaultsAndClampsOnce) {
  RunConfig config = completeConfig();
  config.K = 13;
  config.scanThreshold = 0.7;
  config.MIN_COMPLEXITY = 12;
  config.numClusters = 5;
  config.initMethod = 9;
  const RunConfig resolved = resolveRunConfig(config, ProgressSink::silent());
  EXPECT_EQ(resolved.maxMismatch, 6);
  EXPECT_EQ(resolved.numThreads, std::optional<int>(availableProcessors()));
  EXPECT_EQ(resolved.scanThreshold, 0.75f);
  EXPECT_EQ(resolved.MIN_COMPLEXITY, 10.0);
  EXPECT_EQ(resolved.numClusters, 10);
  EXPECT_EQ(resolved.initMethod, 1);
  // Resolving again changes nothing and prints nothing.
  const Stop again = resolutionStop(resolved);
  EXPECT_FALSE(again.stopped);
  EXPECT_EQ(again.console, "");
  EXPECT_EQ(describe(resolveRunConfig(resolved, ProgressSink::silent())), describe(resolved));
  // The configuration it was given is a copy: the caller's is left alone.
  EXPECT_EQ(config.maxMismatch, -1);
  EXPECT_FALSE(config.numThreads.has_value());
}

TEST(RunConfiguration, SeedCountFromTheNumberOfSequences) {
  CollectedProgress progress;
  // ceil(log2 N), never below 1.
  const int n[] = {1, 2, 3, 4, 5, 8, 16, 17, 100, 1000};
  const int seeds[] = {1, 1, 2, 2, 3, 3, 4, 5, 7, 10};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(resolveSeedCount(std::nullopt, n[i], progress.sink()), seeds[i]) << n[i];
  EXPECT_EQ(resolveSeedCount(3, 5, progress.sink()), 3);
  EXPECT_EQ(resolveSeedCount(5, 5, progress.sink()), 5);
  EXPECT_EQ(progress.text(), "");
  EXPECT_EQ(resolveSeedCount(6, 5, progress.sink()), 5);
  EXPECT_EQ(progress.text(), "Warning: -i larger than the number of sequences; using 5.\n");
}

TEST(CommandLine, ReadingNumbers) {
  EXPECT_EQ(readInt("42"), 42);
  EXPECT_EQ(readInt("  42"), 42);
  EXPECT_EQ(readInt("+42"), 42);
  EXPECT_EQ(readInt("-42"), -42);
  EXPECT_EQ(readInt("42abc"), 42);
  EXPECT_EQ(readInt("4.9"), 4);
  EXPECT_EQ(readInt("abc"), 0);
  EXPECT_EQ(readInt(""), 0);
  EXPECT_EQ(readInt("0x10"), 0);
  EXPECT_EQ(readInt("2147483647"), INT_MAX);
  EXPECT_EQ(readInt("2147483648"), INT_MAX);
  EXPECT_EQ(readInt("4294967304"), INT_MAX);
  EXPECT_EQ(readInt("-2147483648"), INT_MIN);
  EXPECT_EQ(readInt("-2147483649"), INT_MIN);
  EXPECT_EQ(readInt("123456789012345678901234567890"), INT_MAX);
  EXPECT_EQ(readInt("-123456789012345678901234567890"), INT_MIN);

  EXPECT_EQ(readReal("0.25"), 0.25);
  EXPECT_EQ(readReal(" .5x"), 0.5);
  EXPECT_EQ(readReal("1e-1"), 0.1);
  EXPECT_EQ(readReal("abc"), 0.0);
  EXPECT_EQ(readReal(""), 0.0);
  EXPECT_TRUE(std::isnan(readReal("nan")));
  EXPECT_EQ(readReal("-inf"), -std::numeric_limits<double>::infinity());
}

TEST(CommandLine, DerivedReportName) {
  struct Case {
    std::string input;
    std::string report;
  };
  const Case cases[] = {
      {"data/seqs.fa", "data/seqs.out"},
      {"./seqs.fa", ".out"},  // the first '.' anywhere counts
      {"seqs", "seqs.out"},
      {"seqs.fa", "seqs.out"},
      {"a.b.c", "a.out"},
      {"run.2/seqs.fa", "run.out"},
      {"/tmp/x", "/tmp/x.out"},
      {"seqs.", "seqs.out"},
      {"", ".out"},
  };
  for (const Case& c : cases) {
    const RunConfig p = parse({"-f", c.input, "-l", "8", "-b", "bg.txt", "-z", "fg.txt"});
    EXPECT_EQ(p.inFile, c.input);
    EXPECT_EQ(p.outFile, std::optional<std::string>(c.report)) << c.input;
  }
}

TEST(CommandLine, ReportNameFromOptionOrder) {
  // -o before -f: the later -f derives the name again.
  const auto reportOf = [](const std::vector<std::string>& words) { return parse(words).outFile.value_or("(unset)"); };
  EXPECT_EQ(reportOf({"-o", "result.txt", "-f", "seqs.fa", "-l", "8", "-b", "b", "-z", "z"}), "seqs.out");
  // -o after -f: its value unchanged, no suffix added.
  EXPECT_EQ(reportOf({"-f", "seqs.fa", "-o", "result.txt", "-l", "8", "-b", "b", "-z", "z"}), "result.txt");
  EXPECT_EQ(reportOf({"-f", "seqs.fa", "-o", "result", "-l", "8", "-b", "b", "-z", "z"}), "result");
  // -f, -o, -f: the last -f wins.
  EXPECT_EQ(reportOf({"-f", "a.fa", "-o", "r.txt", "-f", "b.fa", "-l", "8", "-b", "b", "-z", "z"}), "b.out");
}

TEST(CommandLine, LongNamesAreKeptWhole) {
  const std::string dir(3000, 'd');
  const std::string input = dir + "/seqs.fa";
  const std::string model(5000, 'm');
  const RunConfig p = parse({"-f", input, "-l", "8", "-b", model, "-z", model + "z"});
  EXPECT_EQ(p.inFile, input);
  EXPECT_EQ(p.outFile, std::optional<std::string>(dir + "/seqs.out"));
  EXPECT_EQ(p.bgModelFile, model);
  EXPECT_EQ(p.fgModelFile, model + "z");
  const std::string output(4000, 'o');
  EXPECT_EQ(parseWith({"-o", output}).outFile, std::optional<std::string>(output));
}

TEST(CommandLine, CommandLineEcho) {
  const std::vector<std::string> words = {"./bin/zelkova", "-f", "my seqs.fa", "-l", "8",    "-b",
                                          "bg.txt",        "-z", "fg.txt",     "-r", "-thr", "0.7"};
  const auto argv = argvOf(words);
  const RunConfig p = parseCommandLine(static_cast<int>(words.size()), argv.data()).config;
  // One space before every word, the program name included; values as typed.
  EXPECT_EQ(p.cmdLine, " ./bin/zelkova -f my seqs.fa -l 8 -b bg.txt -z fg.txt -r -thr 0.7");

  const std::string longWord(2500, 'x');
  const RunConfig q = parseWith({"-o", longWord});
  EXPECT_EQ(q.cmdLine, " zelkova -f seqs.fa -l 8 -b bg.txt -z fg.txt -o " + longWord);
}

TEST(CommandLine, UsageTextForHelp) {
  const std::string usage =
      "\nZELKOVA version 1.0, by the ZELKOVA developers\n"
      "\nUsage: /opt/tools/zk -x [value]\n"
      "\n"
      "where -x is one of the following. Bracketed [] switches are optional.\n"
      "===================================================================\n"
      "-f (string) input sequences filename in fasta format.\n"
      "-l (integer) expected motif length ([6, 20]).\n"
      "-b (string) 7-order markov chain for background.\n"
      "-z (string) 7-order markov chain for foreground. \n"
      "[-j] If used the initial sequences will be seleted using log-odd score.\n"
      "[-o string]  output filename.\n"
      "[-m integer] maximum mismatch allowed between kmers. \n"
      "[-i integer] (#input sequences). Initial number of seqs use to initialize the clusters.\n"
      "[-c] Minimun complexity of a motif (default 0.15).\n"
      "[-n integer] number of top motifs to save (default 10).\n"
      "[-thr real] motif scanning threshold value [0.5,1) use in post-processing (default 0.75).\n"
      "[-v integer] initial number of clusters [10, 100] (default 40).\n"
      "[-k integer] Clusters initialization method. 1-enumeration (default), 2-Minimal mismatch\n"
      "[-r] if specified then only given strand will be used. Default is both strand.\n"
      "[-any] by default we assumes one site per sequence. Use this option if you suppose to have any number "
      "of sites per sequence.\n"
      "[-s] Seed kmers scoring method. The default is MAP score and if specified the surprise score will be "
      "used.\n"
      "[-p integer] number of threads to use (default: all available processors).\n"
      "[-noside] if specified then initcore.txt and initcluster.txt are not written.\n"
      "[-maxlen integer] longest sequence accepted, in letters (default 4999).\n";
  std::string console;
  // The program name is printed as typed; -h stops before the unknown word.
  EXPECT_EQ(runProgram({"/opt/tools/zk", "-f", "x.fa", "-h", "-nonsense"}, console), 1);
  EXPECT_EQ(console, kBanner + usage);
}

TEST(CommandLine, ProgramStopsWithStatusOne) {
  std::string console;
  EXPECT_EQ(runProgram({"zelkova"}, console), 1);
  EXPECT_EQ(console, kBanner + kMissingF + kMissingL + kMissingB + kMissingZ);
  EXPECT_EQ(runProgram({"zelkova", "-l", "21"}, console), 1);
  EXPECT_EQ(console, kBanner + kLengthError);
  EXPECT_EQ(runProgram({"zelkova", "-q"}, console), 1);
  EXPECT_EQ(console, kBanner + "Invalid option -q\n");
  // Files are opened in the order sequences, background, foreground.
  EXPECT_EQ(
      runProgram({"zelkova", "-z", "/nonexistent/fg", "-b", "/nonexistent/bg", "-l", "8", "-f", "/nonexistent/seqs.fa"},
                 console),
      1);
  EXPECT_EQ(console, kBanner + "Cannot open file named /nonexistent/seqs.fa\n");
}
