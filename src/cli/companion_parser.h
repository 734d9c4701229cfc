// The command line of the companion programs (zelkova-markov, zelkova-export
// and the later ones); zelkova itself keeps its own fixed option syntax.
//
// A program describes its options in a table, one entry per option:
//   short name  "-o" or "" (none)
//   long name   "--output" (required)
//   value name  "FILE", shown in the help; options added with flag() take none
//   help text   one line of the help; '\n' starts a further, indented line;
//               "{default}", "{min}" and "{max}" stand for the values below
//   action      stores the value in a variable or hands it to a function
//
// Accepted forms: "--output FILE", "--output=FILE", "-o FILE"; a value is the
// next word whatever it looks like ("--order -1" hands "-1" to the option). An
// empty value is refused. "--" ends the options: every later word is a
// positional argument, as is "-" alone; options and positional arguments may
// otherwise come in any order. An option given twice is refused unless it was
// added with repeatable(). "-h"/"--help" prints the help and "--version" the
// line "PROGRAM (ZELKOVA) VERSION" to standard output, and parse() then tells
// the program to end with status 0.
//
// Mistakes (an unknown option, a missing value, a value the action refuses)
// throw UsageError; runProgram() prints
//   Error: MESSAGE
//   Run PROGRAM --help for the options.
// on standard error and makes the status 1.
//
// A default is stated once, as the value the target holds when its option is
// added: whole() and real() put the target's value and the bounds they check
// into the help ("{default}", "{min}", "{max}"), and helpWith() does so for a
// default of another kind, so the help cannot drift from the code.
//
// Typical main:
//   int main(int argc, char** argv) {
//     return cli::runProgram("zelkova-foo", [&] {
//       cli::Parser parser("zelkova-foo", "[options] FILE", "What it does.\n");
//       std::string output;
//       int order = 3;
//       parser.value("-o", "--output", "FILE", "write to FILE", output);
//       parser.whole("-m", "--order", "N", "order, {min} to {max} (default {default})", order, 0, 7);
//       const std::optional<std::vector<std::string>> files = parser.parse(argc, argv);
//       if (!files) return 0;              // --help or --version answered
//       if (files->empty()) throw UsageError("no FILE given.");
//       ...
//       return 0;
//     });
//   }
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"

namespace cli {

// Strict readers of option values: the whole text must be the number (no
// blanks, no trailing letters) and lie within the bounds, else UsageError
//   WHAT "TEXT" is not a whole number from MIN to MAX.
//   WHAT "TEXT" is not a number above 0.
// `what` names the value for the user: the option ("--order") or what it sets
// ("order").
long long wholeNumber(const std::string& text, const std::string& what,
                      long long min = std::numeric_limits<long long>::min(),
                      long long max = std::numeric_limits<long long>::max());

// Bounds of a real value; an excluded bound is not itself allowed. Infinite
// bounds are open ends. NaN and infinities are never accepted.
struct RealBounds {
  double low = -std::numeric_limits<double>::infinity();
  bool lowIncluded = true;
  double high = std::numeric_limits<double>::infinity();
  bool highIncluded = true;
};
double realNumber(const std::string& text, const std::string& what, const RealBounds& bounds = {});

// `help` with every "{NAME}" of `fields` replaced by its text; an unknown
// or unfilled "{...}" is a fault of the program.
std::string helpWith(const std::string& help, const std::vector<std::pair<std::string, std::string>>& fields);

class Parser {
 public:
  using ValueAction = std::function<void(const std::string& value)>;
  using FlagAction = std::function<void()>;

  // `program` names the program in the help, the version line and messages;
  // `synopsis` follows the name on the usage line ("[options] FASTA ...");
  // `description` (may be empty) is printed between the usage line and the
  // options, as given.
  Parser(std::string program, std::string synopsis, std::string description);

  // An option without a value; sets `target` to true, or runs `action`.
  Parser& flag(const std::string& shortName, const std::string& longName, const std::string& help, bool& target);
  Parser& flag(const std::string& shortName, const std::string& longName, const std::string& help, FlagAction action);

  // An option with a value, allowed once; stores it in `target`, or hands it
  // to `action`, which throws UsageError when it refuses it.
  Parser& value(const std::string& shortName, const std::string& longName, const std::string& valueName,
                const std::string& help, std::string& target);
  Parser& value(const std::string& shortName, const std::string& longName, const std::string& valueName,
                const std::string& help, ValueAction action);

  // An option with a whole value from `min` to `max`, stored in `target`;
  // the help may name them and the target's value as "{min}", "{max}" and
  // "{default}". The value is refused in the words of wholeNumber().
  template <typename Whole>
  Parser& whole(const std::string& shortName, const std::string& longName, const std::string& valueName,
                const std::string& help, Whole& target, long long min, long long max) {
    const std::string text = helpWith(
        help, {{"default", std::to_string(target)}, {"min", std::to_string(min)}, {"max", std::to_string(max)}});
    return value(shortName, longName, valueName, text, [&target, longName, min, max](const std::string& v) {
      target = static_cast<Whole>(wholeNumber(v, longName, min, max));
    });
  }
  // The same for a real value within `bounds` ("{min}" and "{max}" are
  // their low and high ends).
  Parser& real(const std::string& shortName, const std::string& longName, const std::string& valueName,
               const std::string& help, double& target, const RealBounds& bounds);

  // An option with a value that may be given any number of times; appends
  // every value to `target`, or hands each to `action`, in command-line order.
  Parser& repeatable(const std::string& shortName, const std::string& longName, const std::string& valueName,
                     const std::string& help, std::vector<std::string>& target);
  Parser& repeatable(const std::string& shortName, const std::string& longName, const std::string& valueName,
                     const std::string& help, ValueAction action);

  // Runs the action of every option of argv[1..argc-1] in order and returns
  // the positional arguments in order; returns nothing once --help or
  // --version has been answered. Throws UsageError.
  std::optional<std::vector<std::string>> parse(int argc, const char* const* argv) const;

  // The text --help prints: usage line, description, one line per option
  // (the table's, then -h/--help and --version).
  std::string helpText() const;
  // "PROGRAM (ZELKOVA) VERSION", without a line end.
  std::string versionLine() const;

 private:
  struct Option {
    std::string shortName;
    std::string longName;
    std::string valueName;  // empty: a flag
    std::string help;
    bool repeatable = false;
    ValueAction action;  // flags get ""
  };
  Parser& add(Option option);
  const Option* find(const std::string& name) const;

  std::string program_;
  std::string synopsis_;
  std::string description_;
  std::vector<Option> options_;
};

// The letters a program that holds its sequences in memory (zelkova-enrich,
// zelkova-discover) reads from one record, and from one input file, unless
// --max-letters says otherwise: about 7 GB of a discovery's working memory at
// the most, well within a machine of 16 GB or more, and far beyond any peak
// set; a file that expands to more (a decompression bomb, a genome given by
// mistake) is refused while it is read. A program that holds one record at a
// time (zelkova-scan) bounds each record alike.
constexpr long long kDefaultMaxLetters = 100000000;

// What --max-letters bounds: each record and the input file as a whole, or
// each record alone.
enum class LetterLimit { RecordAndInput, Record };

// Adds the option --max-letters N (1 or more) that sets `target`.
void addMaxLettersOption(Parser& parser, std::uint64_t& target, LetterLimit limit = LetterLimit::RecordAndInput);

// The message runProgram prints for the exception being handled (call it in
// a catch block), line ends included, as listed below.
std::string failureMessage(const std::string& program);

// Runs `body` (the whole work of main, returning its exit status) and turns
// what escapes it into a message on standard error and status 1, by the
// rule of base/errors.h (an internal fault has aborted before this):
//   UsageError    "Error: MESSAGE" and "Run PROGRAM --help for the options."
//   FatalError    its text as it is (it carries "Error: ..." and the line end)
//   ReadError     "Error: SOURCE:LINE: PROBLEM"
//   bad_alloc     "Error: out of memory."
//   other         "Error: WHAT" (a failure of the system, such as a thread
//                 that cannot be started)
// Standard output is flushed and checked afterwards: anything lost there turns
// the status into 1 with "Error: cannot write standard output: REASON.".
int runProgram(const std::string& program, const std::function<int()>& body);

}  // namespace cli
