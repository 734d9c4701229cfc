// Command line: option walk, immediate stops, checks after the walk, clamping,
// derived report names, the command-line echo and the usage text.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "lmer.h"
#include "options.h"
#include "run.h"
#include "support.h"

namespace {

using testing_support::CapturedStdout;

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

// Parses "zelkova <words>"; `console` receives what the parse printed.
RunParameters parse(const std::vector<std::string>& words, std::string* console = nullptr) {
  std::vector<std::string> all = {"zelkova"};
  all.insert(all.end(), words.begin(), words.end());
  const auto argv = argvOf(all);
  CapturedStdout out;
  RunParameters p = parseCommandLine(static_cast<int>(all.size()), argv.data());
  if (console) *console = out.text();
  return p;
}

// The required four options with small names, followed by `extra`.
RunParameters parseWith(const std::vector<std::string>& extra, std::string* console = nullptr) {
  std::vector<std::string> words = {"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt"};
  words.insert(words.end(), extra.begin(), extra.end());
  return parse(words, console);
}

struct Stop {
  bool stopped = false;
  std::string message;  // the text the stop carries
  std::string console;  // what was printed before the stop
};

Stop parseStop(const std::vector<std::string>& words) {
  std::vector<std::string> all = {"zelkova"};
  all.insert(all.end(), words.begin(), words.end());
  const auto argv = argvOf(all);
  Stop s;
  CapturedStdout out;
  try {
    parseCommandLine(static_cast<int>(all.size()), argv.data());
  } catch (const FatalError& e) {
    s.stopped = true;
    s.message = e.what();
  }
  s.console = out.text();
  return s;
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
  // Globals left over from an earlier parse must not survive a new one.
  K = 17;
  MIN_COMPLEXITY = 3.5;
  forwardOnly = true;
  scoring_method = 1;
  std::string console;
  const RunParameters p = parseWith({}, &console);
  EXPECT_EQ(console, kBanner);
  EXPECT_EQ(p.inFile, "seqs.fa");
  EXPECT_EQ(p.bgModelFile, "bg.txt");
  EXPECT_EQ(p.fgModelFile, "fg.txt");
  EXPECT_EQ(p.outFile, "seqs.out");
  EXPECT_EQ(p.maxMismatch, -1);
  EXPECT_EQ(p.numSeedSeqs, -1);
  EXPECT_EQ(p.numTopMotifs, 10);
  EXPECT_EQ(p.scanThreshold, 0.8f);
  EXPECT_EQ(p.numClusters, 40);
  EXPECT_EQ(p.initMethod, 1);
  EXPECT_FALSE(p.selectByScore);
  EXPECT_EQ(p.anySites, 0);
  EXPECT_EQ(K, 8);
  EXPECT_EQ(MIN_COMPLEXITY, 0.15);
  EXPECT_FALSE(forwardOnly);
  EXPECT_EQ(scoring_method, 2);
}

TEST(CommandLine, FlagOptionsTakeNoValueWord) {
  // Each flag is followed directly by another option: had a flag swallowed the
  // next word, a required option would be missing.
  const RunParameters p =
      parse({"-s", "-f", "seqs.fa", "-r", "-l", "6", "-any", "-b", "bg.txt", "-j", "-z", "fg.txt"});
  EXPECT_EQ(scoring_method, 1);
  EXPECT_TRUE(forwardOnly);
  EXPECT_TRUE(p.selectByScore);
  EXPECT_EQ(p.anySites, 1);
  EXPECT_EQ(K, 6);
  EXPECT_EQ(p.inFile, "seqs.fa");
}

TEST(CommandLine, ValueOptionsStoreTheirValues) {
  const RunParameters p =
      parseWith({"-m", "3", "-n", "4", "-i", "2", "-k", "7", "-o", "result.txt", "-thr", "0.9", "-c", "0.5",
                 "-v", "55"});
  EXPECT_EQ(p.maxMismatch, 3);
  EXPECT_EQ(p.numTopMotifs, 4);
  EXPECT_EQ(p.numSeedSeqs, 2);
  EXPECT_EQ(p.initMethod, 7);  // mapped to 1 later, by the engine
  EXPECT_EQ(p.outFile, "result.txt");
  EXPECT_EQ(p.scanThreshold, 0.9f);
  EXPECT_EQ(MIN_COMPLEXITY, 0.5);
  EXPECT_EQ(p.numClusters, 55);
}

TEST(CommandLine, LaterOccurrenceOverridesEarlierOne) {
  const RunParameters p = parse({"-f", "first.fa", "-l", "7", "-b", "b1", "-z", "z1", "-f", "second.fa", "-l",
                                 "9", "-b", "b2", "-z", "z2", "-n", "3", "-n", "5", "-thr", "0.9", "-thr", "0.7"});
  EXPECT_EQ(p.inFile, "second.fa");
  EXPECT_EQ(p.outFile, "second.out");
  EXPECT_EQ(p.bgModelFile, "b2");
  EXPECT_EQ(p.fgModelFile, "z2");
  EXPECT_EQ(K, 9);
  EXPECT_EQ(p.numTopMotifs, 5);
  EXPECT_EQ(p.scanThreshold, 0.75f);
}

TEST(CommandLine, MotifLengthRange) {
  for (const char* ok : {"6", "20", "13"}) {
    parseWith({"-l", ok});
    EXPECT_EQ(K, std::atoi(ok)) << ok;
  }
  // Trailing characters are ignored and leading blanks skipped, as atoi does.
  parseWith({"-l", "8abc"});
  EXPECT_EQ(K, 8);
  parseWith({"-l", " 7"});
  EXPECT_EQ(K, 7);
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
  for (const char* opt : {"-f", "-l", "-m", "-b", "-n", "-thr", "-o", "-i", "-c", "-v", "-k", "-z", "-p"}) {
    Stop s = parseStop({opt});
    EXPECT_TRUE(s.stopped) << opt;
    EXPECT_EQ(s.message, std::string("Missing value for option ") + opt + "\n");
    EXPECT_EQ(s.console, kBanner);
    // Also after a complete command line.
    s = parseStop({"-f", "seqs.fa", "-l", "8", "-b", "bg.txt", "-z", "fg.txt", opt});
    EXPECT_EQ(s.message, std::string("Missing value for option ") + opt + "\n");
  }
  // Flags are complete on their own as the last word.
  parseWith({"-j"});
  parseWith({"-any"});
}

TEST(CommandLine, ValueWordIsTakenVerbatim) {
  // The word after a value option is its value even when it looks like an option.
  RunParameters p = parse({"-f", "seqs.fa", "-o", "-h", "-l", "8", "-b", "-z", "-z", "fg.txt"});
  EXPECT_EQ(p.outFile, "-h");
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
  RunParameters p = parseWith({"-m", "8"}, &console);
  EXPECT_EQ(console, kBanner + warning8);
  EXPECT_EQ(p.maxMismatch, -1);
  p = parseWith({"-m", "-2"}, &console);
  EXPECT_EQ(console, kBanner + warning8);
  EXPECT_EQ(p.maxMismatch, -1);
  p = parseWith({"-m", "99999999999"}, &console);  // saturates, still too large
  EXPECT_EQ(console, kBanner + warning8);
  EXPECT_EQ(p.maxMismatch, -1);
  for (int kept : {0, 1, 7}) {
    p = parseWith({"-m", std::to_string(kept)}, &console);
    EXPECT_EQ(console, kBanner);
    EXPECT_EQ(p.maxMismatch, kept);
  }
  p = parseWith({"-m", "-1"}, &console);  // the same as no -m
  EXPECT_EQ(console, kBanner);
  EXPECT_EQ(p.maxMismatch, -1);
  // The check uses the final motif length, whatever the order of -m and -l.
  p = parse({"-m", "8", "-f", "s.fa", "-l", "9", "-b", "b", "-z", "z"}, &console);
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
  EXPECT_EQ(parseWith({"-i", "1"}).numSeedSeqs, 1);
  EXPECT_EQ(parseWith({"-i", "1000"}).numSeedSeqs, 1000);  // held to N after loading
}

TEST(CommandLine, ScanThresholdRangeInSinglePrecision) {
  struct Case {
    const char* text;
    float expected;
  };
  const Case cases[] = {
      {"0.7", 0.75f},         // 0.7 in single precision lies below the double 0.7
      {"0.70000001", 0.75f},  // rounds to the same single as 0.7
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
  const Case cases[] = {{"-1", 0.0},  {"12", 10.0},  {"10", 10.0}, {"10.5", 10.0}, {"0", 0.0},
                        {"0.5", 0.5}, {"abc", 0.0},  {"nan", 0.15}, {"inf", 10.0},  {"-inf", 0.0},
                        {"1e300", 10.0}};
  for (const Case& c : cases) {
    parseWith({"-c", c.text});
    EXPECT_EQ(MIN_COMPLEXITY, c.expected) << c.text;
  }
}

TEST(CommandLine, ClusterCountClamping) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {{"5", 10},   {"9", 10},   {"10", 10},          {"40", 40},           {"100", 100},
                        {"101", 100}, {"500", 100}, {"x", 10},          {"-3", 10},           {"99999999999", 100},
                        {"-99999999999", 10}};
  for (const Case& c : cases) EXPECT_EQ(parseWith({"-v", c.text}).numClusters, c.expected) << c.text;
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
    const RunParameters p = parse({"-f", c.input, "-l", "8", "-b", "bg.txt", "-z", "fg.txt"});
    EXPECT_EQ(p.inFile, c.input);
    EXPECT_EQ(p.outFile, c.report) << c.input;
  }
}

TEST(CommandLine, ReportNameFromOptionOrder) {
  // -o before -f: the later -f derives the name again.
  EXPECT_EQ(parse({"-o", "result.txt", "-f", "seqs.fa", "-l", "8", "-b", "b", "-z", "z"}).outFile, "seqs.out");
  // -o after -f: its value unchanged, no suffix added.
  EXPECT_EQ(parse({"-f", "seqs.fa", "-o", "result.txt", "-l", "8", "-b", "b", "-z", "z"}).outFile, "result.txt");
  EXPECT_EQ(parse({"-f", "seqs.fa", "-o", "result", "-l", "8", "-b", "b", "-z", "z"}).outFile, "result");
  // -f, -o, -f: the last -f wins.
  EXPECT_EQ(parse({"-f", "a.fa", "-o", "r.txt", "-f", "b.fa", "-l", "8", "-b", "b", "-z", "z"}).outFile, "b.out");
}

TEST(CommandLine, LongNamesAreKeptWhole) {
  const std::string dir(3000, 'd');
  const std::string input = dir + "/seqs.fa";
  const std::string model(5000, 'm');
  const RunParameters p = parse({"-f", input, "-l", "8", "-b", model, "-z", model + "z"});
  EXPECT_EQ(p.inFile, input);
  EXPECT_EQ(p.outFile, dir + "/seqs.out");
  EXPECT_EQ(p.bgModelFile, model);
  EXPECT_EQ(p.fgModelFile, model + "z");
  const std::string output(4000, 'o');
  EXPECT_EQ(parseWith({"-o", output}).outFile, output);
}

TEST(CommandLine, CommandLineEcho) {
  const std::vector<std::string> words = {"./bin/zelkova", "-f", "my seqs.fa", "-l", "8", "-b",
                                          "bg.txt",        "-z", "fg.txt",     "-r", "-thr", "0.7"};
  const auto argv = argvOf(words);
  RunParameters p;
  {
    CapturedStdout out;
    p = parseCommandLine(static_cast<int>(words.size()), argv.data());
  }
  // One space before every word, the program name included; values as typed.
  EXPECT_EQ(p.cmdLine, " ./bin/zelkova -f my seqs.fa -l 8 -b bg.txt -z fg.txt -r -thr 0.7");

  const std::string longWord(2500, 'x');
  const RunParameters q = parseWith({"-o", longWord});
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
      "[-p integer] number of threads to use (default: all available processors).\n";
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
  EXPECT_EQ(runProgram({"zelkova", "-z", "/nonexistent/fg", "-b", "/nonexistent/bg", "-l", "8", "-f",
                        "/nonexistent/seqs.fa"},
                       console),
            1);
  EXPECT_EQ(console, kBanner + "Cannot open file named /nonexistent/seqs.fa\n");
}
