// The command-line parser of the companion programs: accepted forms, refused
// command lines and their messages, the generated help, the strict number
// readers and what runProgram makes of errors.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "base/version.h"
#include "cli/companion_parser.h"

namespace {

// argv for parse(): the program name first, as main receives it.
struct Args {
  explicit Args(std::vector<std::string> words) : words_(std::move(words)) {
    pointers_.push_back("prog");
    for (const std::string& w : words_) pointers_.push_back(w.c_str());
  }
  int argc() const { return static_cast<int>(pointers_.size()); }
  const char* const* argv() const { return pointers_.data(); }

 private:
  std::vector<std::string> words_;
  std::vector<const char*> pointers_;
};

// A parser with one option of every kind, recording what it was given.
struct Fixture {
  std::string output;
  std::vector<std::string> databases;
  bool forwardOnly = false;
  long long order = -1;
  cli::Parser parser{"prog", "[options] FILE ...", "Does things.\n"};

  Fixture() {
    parser.value("-o", "--output", "FILE", "write to FILE", output);
    parser.repeatable("", "--db", "FILE", "a database; may be given again", databases);
    parser.flag("-r", "--forward-only", "given strand only", forwardOnly);
    parser.value("-m", "--order", "N", "order, 0 to 7\nsecond line",
                 [this](const std::string& v) { order = cli::wholeNumber(v, "order", 0, 7); });
  }
  std::optional<std::vector<std::string>> parse(std::vector<std::string> words) {
    const Args args(std::move(words));
    return parser.parse(args.argc(), args.argv());
  }
  std::string refusal(std::vector<std::string> words) {
    try {
      parse(std::move(words));
    } catch (const UsageError& error) {
      return error.what();
    }
    return "(accepted)";
  }
};

TEST(CliParse, EveryFormOfValueAndPositionalArgumentsInOrder) {
  Fixture f;
  const auto positional = f.parse({"a.fa", "--output=x.txt", "-m", "3", "b.fa", "-r", "-", "--db", "one", "--db=two"});
  ASSERT_TRUE(positional);
  EXPECT_EQ(*positional, (std::vector<std::string>{"a.fa", "b.fa", "-"}));
  EXPECT_EQ(f.output, "x.txt");
  EXPECT_EQ(f.order, 3);
  EXPECT_TRUE(f.forwardOnly);
  EXPECT_EQ(f.databases, (std::vector<std::string>{"one", "two"}));
}

TEST(CliParse, DoubleDashEndsOptionsAndValuesMayStartWithADash) {
  Fixture f;
  const auto positional = f.parse({"-o", "-strange-name", "--", "-r", "--output=z", "--"});
  ASSERT_TRUE(positional);
  EXPECT_EQ(f.output, "-strange-name");
  EXPECT_FALSE(f.forwardOnly);
  EXPECT_EQ(*positional, (std::vector<std::string>{"-r", "--output=z", "--"}));
}

TEST(CliParse, MistakesNameTheOption) {
  Fixture f;
  EXPECT_EQ(f.refusal({"-x", "a"}), "unknown option -x.");
  EXPECT_EQ(f.refusal({"--outptu=a", "a"}), "unknown option --outptu.");
  EXPECT_EQ(f.refusal({"a", "-o"}), "option -o needs a value.");
  EXPECT_EQ(f.refusal({"--output=", "a"}), "option --output needs a value.");
  EXPECT_EQ(f.refusal({"-o", "", "a"}), "option -o needs a value.");
  EXPECT_EQ(f.refusal({"--forward-only=yes"}), "option --forward-only takes no value.");
  EXPECT_EQ(f.refusal({"--help=1"}), "option --help takes no value.");
  EXPECT_EQ(f.refusal({"-o", "a", "--output", "b"}), "option --output is given more than once.");
  EXPECT_EQ(f.refusal({"-r", "-r"}), "option -r is given more than once.");
  EXPECT_EQ(f.refusal({"-m", "8"}), "order \"8\" is not a whole number from 0 to 7.");
  // "-o2" is not "-o 2": short options take their value as the next word.
  EXPECT_EQ(f.refusal({"-o2"}), "unknown option -o2.");
}

TEST(CliParse, HelpAndVersionAnswerAndStopTheParse) {
  Fixture f;
  testing::internal::CaptureStdout();
  const auto afterHelp = f.parse({"-o", "a", "--help", "-x"});
  const std::string help = testing::internal::GetCapturedStdout();
  EXPECT_FALSE(afterHelp);
  EXPECT_EQ(help, f.parser.helpText());
  EXPECT_EQ(f.output, "a");  // options before --help were applied, the unknown one after it never read

  testing::internal::CaptureStdout();
  EXPECT_FALSE(f.parse({"--version"}));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("prog (ZELKOVA) ") + kZelkovaVersion + "\n");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(f.parse({"-h"}));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), help);
}

TEST(CliHelp, GeneratedFromTheTable) {
  Fixture f;
  EXPECT_EQ(f.parser.helpText(),
            "Usage: prog [options] FILE ...\n"
            "\n"
            "Does things.\n"
            "\n"
            "Options:\n"
            "  -o, --output FILE       write to FILE\n"
            "      --db FILE           a database; may be given again\n"
            "  -r, --forward-only      given strand only\n"
            "  -m, --order N           order, 0 to 7\n"
            "                          second line\n"
            "  -h, --help              print this help and exit\n"
            "      --version           print the version and exit\n");
}

TEST(CliVersion, ComesFromTheProjectVersion) {
  const std::string version = kZelkovaVersion;
  ASSERT_FALSE(version.empty());
  EXPECT_EQ(version.find_first_not_of("0123456789."), std::string::npos) << version;
  EXPECT_EQ(cli::Parser("zelkova-x", "", "").versionLine(), "zelkova-x (ZELKOVA) " + version);
}

std::string wholeRefusal(const std::string& text, long long min, long long max) {
  try {
    cli::wholeNumber(text, "--count", min, max);
  } catch (const UsageError& error) {
    return error.what();
  }
  return "(accepted)";
}

TEST(CliNumbers, WholeNumbersFillTheTextAndKeepTheirRange) {
  EXPECT_EQ(cli::wholeNumber("7", "n", 0, 7), 7);
  EXPECT_EQ(cli::wholeNumber("-3", "n", -5, 0), -3);
  EXPECT_EQ(cli::wholeNumber("9223372036854775807", "n"), 9223372036854775807LL);
  EXPECT_EQ(wholeRefusal("8", 0, 7), "--count \"8\" is not a whole number from 0 to 7.");
  for (const char* bad : {"", " 1", "1 ", "1x", "1.0", "+1", "0x1", "99999999999999999999"})
    EXPECT_EQ(wholeRefusal(bad, 0, 7), std::string("--count \"") + bad + "\" is not a whole number from 0 to 7.");
  EXPECT_EQ(wholeRefusal("0", 1, std::numeric_limits<long long>::max()),
            "--count \"0\" is not a whole number of at least 1.");
  EXPECT_EQ(wholeRefusal("x", std::numeric_limits<long long>::min(), 9),
            "--count \"x\" is not a whole number of at most 9.");
  EXPECT_EQ(wholeRefusal("x", std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max()),
            "--count \"x\" is not a whole number.");
}

std::string realRefusal(const std::string& text, const cli::RealBounds& bounds) {
  try {
    cli::realNumber(text, "pseudo-count", bounds);
  } catch (const UsageError& error) {
    return error.what();
  }
  return "(accepted)";
}

TEST(CliNumbers, RealsFillTheTextAreFiniteAndKeepTheirBounds) {
  EXPECT_DOUBLE_EQ(cli::realNumber("0.5", "x"), 0.5);
  EXPECT_DOUBLE_EQ(cli::realNumber("-1e3", "x"), -1000.0);
  EXPECT_DOUBLE_EQ(cli::realNumber("1", "x", {0.0, false, 1.0, true}), 1.0);
  const cli::RealBounds aboveZero{0.0, false};
  EXPECT_EQ(realRefusal("0", aboveZero), "pseudo-count \"0\" is not a number above 0.");
  for (const char* bad : {"", " 1", "1 ", "one", "1,5", "inf", "nan", "-inf", "1e999", "1e-400"})
    EXPECT_EQ(realRefusal(bad, aboveZero), std::string("pseudo-count \"") + bad + "\" is not a number above 0.");
  EXPECT_EQ(realRefusal("1.5", {0.7, true, 1.0, true}), "pseudo-count \"1.5\" is not a number from 0.7 to 1.");
  EXPECT_EQ(realRefusal("0", {0.0, false, 1.0, true}), "pseudo-count \"0\" is not a number above 0 and of at most 1.");
  EXPECT_EQ(realRefusal("1", {0.0, true, 1.0, false}), "pseudo-count \"1\" is not a number of at least 0 and below 1.");
  EXPECT_EQ(realRefusal("-1", {0.0, true}), "pseudo-count \"-1\" is not a number of at least 0.");
  cli::RealBounds belowTen;
  belowTen.high = 10.0;
  belowTen.highIncluded = false;
  EXPECT_EQ(realRefusal("10", belowTen), "pseudo-count \"10\" is not a number below 10.");
  EXPECT_EQ(realRefusal("nan", {}), "pseudo-count \"nan\" is not a number.");
}

// Standard error of one runProgram call, and its status.
std::pair<int, std::string> runCaptured(const std::function<int()>& body) {
  testing::internal::CaptureStderr();
  const int status = cli::runProgram("prog", body);
  return {status, testing::internal::GetCapturedStderr()};
}

TEST(CliRunProgram, TurnsEveryEscapeIntoOneMessageAndStatusOne) {
  EXPECT_EQ(runCaptured([] { return 0; }), std::make_pair(0, std::string()));
  EXPECT_EQ(runCaptured([] { return 3; }), std::make_pair(3, std::string()));
  EXPECT_EQ(runCaptured([]() -> int { throw UsageError("no FASTA file given."); }),
            std::make_pair(1, std::string("Error: no FASTA file given.\nRun prog --help for the options.\n")));
  EXPECT_EQ(runCaptured([]() -> int { throw FatalError("Error: cannot read a.fa: gone.\n"); }),
            std::make_pair(1, std::string("Error: cannot read a.fa: gone.\n")));
  EXPECT_EQ(runCaptured([]() -> int { throw std::runtime_error("a.out:3: bad row"); }),
            std::make_pair(1, std::string("Error: a.out:3: bad row\n")));
  EXPECT_EQ(runCaptured([]() -> int { throw std::bad_alloc(); }),
            std::make_pair(1, std::string("Error: out of memory.\n")));
}

}  // namespace
