#include "cli/companion_parser.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>

#include "base/errors.h"
#include "base/version.h"
#include "formats/numbers.h"
#include "formats/output_file.h"
#include "formats/text_lines.h"

namespace cli {

namespace {

// Help lines: the option names, then the help text from this column on.
constexpr std::size_t kMinHelpColumn = 26;

std::string optionSpelling(const std::string& shortName, const std::string& longName, const std::string& valueName) {
  std::string text = "  " + (shortName.empty() ? std::string("    ") : shortName + ", ") + longName;
  if (!valueName.empty()) text += " " + valueName;
  return text;
}

// The help of one option: continuation lines of a help text holding '\n' are
// indented to the column.
std::string helpLine(const std::string& spelling, const std::string& help, std::size_t column) {
  std::string line = spelling + std::string(column - spelling.size(), ' ');
  for (char c : help) {
    line += c;
    if (c == '\n') line += std::string(column, ' ');
  }
  return line + "\n";
}

std::string describeBounds(const RealBounds& b) {
  const bool lowFinite = std::isfinite(b.low);
  const bool highFinite = std::isfinite(b.high);
  const std::string low = (b.lowIncluded ? "of at least " : "above ") + formats::significant(b.low);
  const std::string high = (b.highIncluded ? "of at most " : "below ") + formats::significant(b.high);
  if (lowFinite && highFinite) {
    if (b.lowIncluded && b.highIncluded)
      return "a number from " + formats::significant(b.low) + " to " + formats::significant(b.high);
    return "a number " + low + " and " + high;
  }
  if (lowFinite) return "a number " + low;
  if (highFinite) return "a number " + high;
  return "a number";
}

bool withinBounds(double value, const RealBounds& b) {
  const bool aboveLow = b.lowIncluded ? value >= b.low : value > b.low;
  const bool belowHigh = b.highIncluded ? value <= b.high : value < b.high;
  return std::isfinite(value) && aboveLow && belowHigh;
}

}  // namespace

std::string helpWith(const std::string& help, const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string text;
  std::size_t from = 0;
  for (std::size_t open = help.find('{'); open != std::string::npos; open = help.find('{', from)) {
    const std::size_t close = help.find('}', open);
    ZK_ASSERT(close != std::string::npos);
    const std::string name = help.substr(open + 1, close - open - 1);
    const auto field = std::find_if(fields.begin(), fields.end(), [&name](const auto& f) { return f.first == name; });
    ZK_ASSERT(field != fields.end());
    text += help.substr(from, open - from) + field->second;
    from = close + 1;
  }
  return text + help.substr(from);
}

Parser::Parser(std::string program, std::string synopsis, std::string description)
    : program_(std::move(program)), synopsis_(std::move(synopsis)), description_(std::move(description)) {}

Parser& Parser::add(Option option) {
  ZK_ASSERT(option.longName.rfind("--", 0) == 0 && option.longName.size() > 2);
  ZK_ASSERT(option.shortName.empty() || (option.shortName.size() == 2 && option.shortName[0] == '-'));
  ZK_ASSERT(!find(option.longName) && (option.shortName.empty() || !find(option.shortName)));
  ZK_ASSERT(option.action);
  for (const char* builtIn : {"-h", "--help", "--version"})
    ZK_ASSERT(option.shortName != builtIn && option.longName != builtIn);
  options_.push_back(std::move(option));
  return *this;
}

Parser& Parser::flag(const std::string& shortName, const std::string& longName, const std::string& help, bool& target) {
  return flag(shortName, longName, help, [&target] { target = true; });
}

Parser& Parser::flag(const std::string& shortName, const std::string& longName, const std::string& help,
                     FlagAction action) {
  ZK_ASSERT(action);
  return add({shortName, longName, "", help, false, [action](const std::string&) { action(); }});
}

Parser& Parser::value(const std::string& shortName, const std::string& longName, const std::string& valueName,
                      const std::string& help, std::string& target) {
  return value(shortName, longName, valueName, help, [&target](const std::string& v) { target = v; });
}

Parser& Parser::value(const std::string& shortName, const std::string& longName, const std::string& valueName,
                      const std::string& help, ValueAction action) {
  ZK_ASSERT(!valueName.empty());
  return add({shortName, longName, valueName, help, false, std::move(action)});
}

Parser& Parser::real(const std::string& shortName, const std::string& longName, const std::string& valueName,
                     const std::string& help, double& target, const RealBounds& bounds) {
  const std::string text = helpWith(help, {{"default", formats::compact(target)},
                                           {"min", formats::compact(bounds.low)},
                                           {"max", formats::compact(bounds.high)}});
  return value(shortName, longName, valueName, text,
               [&target, longName, bounds](const std::string& v) { target = realNumber(v, longName, bounds); });
}

Parser& Parser::repeatable(const std::string& shortName, const std::string& longName, const std::string& valueName,
                           const std::string& help, std::vector<std::string>& target) {
  return repeatable(shortName, longName, valueName, help, [&target](const std::string& v) { target.push_back(v); });
}

Parser& Parser::repeatable(const std::string& shortName, const std::string& longName, const std::string& valueName,
                           const std::string& help, ValueAction action) {
  ZK_ASSERT(!valueName.empty());
  return add({shortName, longName, valueName, help, true, std::move(action)});
}

const Parser::Option* Parser::find(const std::string& name) const {
  for (const Option& option : options_)
    if (name == option.longName || (!option.shortName.empty() && name == option.shortName)) return &option;
  return nullptr;
}

std::optional<std::vector<std::string>> Parser::parse(int argc, const char* const* argv) const {
  std::vector<std::string> positional;
  std::vector<const Option*> given;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> attached;  // the value of "--name=value"
    const std::size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      name = arg.substr(0, equals);
      attached = arg.substr(equals + 1);
    }
    const bool help = name == "-h" || name == "--help";
    if ((help || name == "--version") && attached) throw UsageError("option " + name + " takes no value.");
    if (help) {
      std::fputs(helpText().c_str(), stdout);
      return std::nullopt;
    }
    if (name == "--version") {
      std::printf("%s\n", versionLine().c_str());
      return std::nullopt;
    }
    const Option* option = find(name);
    if (!option) throw UsageError("unknown option " + formats::printable(name) + ".");
    if (!option->repeatable) {
      for (const Option* earlier : given)
        if (earlier == option) throw UsageError("option " + name + " is given more than once.");
      given.push_back(option);
    }
    if (option->valueName.empty()) {
      if (attached) throw UsageError("option " + name + " takes no value.");
      option->action("");
      continue;
    }
    if (!attached && i + 1 < argc) attached = argv[++i];
    if (!attached || attached->empty()) throw UsageError("option " + name + " needs a value.");
    option->action(*attached);
  }
  return positional;
}

std::string Parser::helpText() const {
  std::vector<std::pair<std::string, std::string>> lines;
  for (const Option& option : options_)
    lines.emplace_back(optionSpelling(option.shortName, option.longName, option.valueName), option.help);
  lines.emplace_back(optionSpelling("-h", "--help", ""), "print this help and exit");
  lines.emplace_back(optionSpelling("", "--version", ""), "print the version and exit");
  std::size_t column = kMinHelpColumn;
  for (const auto& line : lines) column = std::max(column, line.first.size() + 2);

  std::string text = "Usage: " + program_ + " " + synopsis_ + "\n";
  if (!description_.empty()) text += "\n" + description_;
  text += "\nOptions:\n";
  for (const auto& line : lines) text += helpLine(line.first, line.second, column);
  return text;
}

std::string Parser::versionLine() const { return ::versionLine(program_); }

long long wholeNumber(const std::string& text, const std::string& what, long long min, long long max) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end || value < min || value > max) {
    const bool lowOpen = min == std::numeric_limits<long long>::min();
    const bool highOpen = max == std::numeric_limits<long long>::max();
    std::string range;
    if (!lowOpen && !highOpen)
      range = " from " + std::to_string(min) + " to " + std::to_string(max);
    else if (!lowOpen)
      range = " of at least " + std::to_string(min);
    else if (!highOpen)
      range = " of at most " + std::to_string(max);
    throw UsageError(what + " " + formats::quoted(text) + " is not a whole number" + range + ".");
  }
  return value;
}

double realNumber(const std::string& text, const std::string& what, const RealBounds& bounds) {
  // strtod skips leading white space and reads "inf" and "nan"; the checks
  // around it keep only plain numbers that fill the whole text.
  char* end = nullptr;
  errno = 0;
  const double value = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
  const bool wholeText =
      !text.empty() && !std::isspace(static_cast<unsigned char>(text[0])) && end == text.c_str() + text.size();
  if (!wholeText || errno == ERANGE || !withinBounds(value, bounds))
    throw UsageError(what + " " + formats::quoted(text) + " is not " + describeBounds(bounds) + ".");
  return value;
}

void addMaxLettersOption(Parser& parser, std::uint64_t& target, LetterLimit limit) {
  target = static_cast<std::uint64_t>(kDefaultMaxLetters);
  const char* help =
      limit == LetterLimit::Record
          ? "refuse a record of more than N letters, while it is read\n(default {default})"
          : "refuse a record, or an input file, of more than N letters,\nwhile it is read (default {default})";
  parser.whole("", "--max-letters", "N", help, target, 1, std::numeric_limits<long long>::max());
}

std::string failureMessage(const std::string& program) {
  try {
    throw;
  } catch (const UsageError& error) {
    return "Error: " + std::string(error.what()) + "\nRun " + program + " --help for the options.\n";
  } catch (const FatalError& error) {
    return error.what();
  } catch (const ReadError& error) {
    return "Error: " + std::string(error.what()) + "\n";
  } catch (const std::bad_alloc&) {
    return "Error: out of memory.\n";
  } catch (const std::exception& error) {
    return "Error: " + std::string(error.what()) + "\n";
  }
}

int runProgram(const std::string& program, const std::function<int()>& body) {
  int status = 1;
  try {
    status = body();
  } catch (const std::exception&) {
    std::fputs(failureMessage(program).c_str(), stderr);
  }
  if (const std::optional<std::string> failure = formats::standardOutputFailure()) {
    std::fputs(failure->c_str(), stderr);
    status = 1;
  }
  return status;
}

}  // namespace cli
