// zelkova-markov: builds the Markov model files that zelkova reads (-b and -z)
// from FASTA sequences.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "errors.h"
#include "markov_builder.h"

namespace {

const char* const kUsage =
    "Usage: zelkova-markov [options] FASTA [FASTA ...]\n"
    "\n"
    "Counts the words of 1 to ORDER+1 letters in the FASTA files and writes a\n"
    "Markov model of order ORDER in the format zelkova reads with -b and -z.\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE        write the model to FILE (default: standard output)\n"
    "  -m, --order ORDER        Markov order, 0 to 7 (default 7)\n"
    "  -p, --pseudocount PC     added to every count, a number above 0 (default 1)\n"
    "  -r, --forward-only       count the given strand only (default: both strands)\n"
    "  -h, --help               print this help and exit\n";

struct BuilderOptions {
  std::string outputFile;  // empty: standard output
  int order = markov_builder::kDefaultOrder;
  double pseudoCount = markov_builder::kDefaultPseudoCount;
  bool bothStrands = true;
  bool helpWanted = false;
  std::vector<std::string> inputFiles;
};

// A mistake on the command line; the message is followed by a hint to --help.
struct UsageError {
  std::string message;
};

int parseOrder(const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '0' + markov_builder::kMaxOrder)
    return text[0] - '0';
  throw UsageError{"order \"" + text + "\" is not a whole number from 0 to " +
                   std::to_string(markov_builder::kMaxOrder) + "."};
}

double parsePseudoCount(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  const bool wholeText = !text.empty() && end == text.c_str() + text.size();
  if (!wholeText || errno == ERANGE || !std::isfinite(value) || !(value > 0.0))
    throw UsageError{"pseudo-count \"" + text + "\" is not a number above 0."};
  return value;
}

BuilderOptions parseArguments(int argc, const char* const* argv) {
  BuilderOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{"option " + arg + " needs a value."};
      return argv[++i];
    };
    if (arg == "-h" || arg == "--help") {
      options.helpWanted = true;
    } else if (arg == "-o" || arg == "--output") {
      options.outputFile = value();
      if (options.outputFile.empty()) throw UsageError{"option " + arg + " needs a file name."};
    } else if (arg == "-m" || arg == "--order") {
      options.order = parseOrder(value());
    } else if (arg == "-p" || arg == "--pseudocount") {
      options.pseudoCount = parsePseudoCount(value());
    } else if (arg == "-r" || arg == "--forward-only") {
      options.bothStrands = false;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option " + arg + "."};
    } else {
      options.inputFiles.push_back(arg);
    }
  }
  if (!options.helpWanted && options.inputFiles.empty()) throw UsageError{"no FASTA file given."};
  return options;
}

void buildModel(const BuilderOptions& options) {
  markov_builder::WordCounts counts(options.order + 1);
  for (const std::string& file : options.inputFiles)
    markov_builder::countFastaFile(file, options.bothStrands, counts);
  if (options.outputFile.empty())
    markov_builder::writeModel(stdout, "standard output", counts, options.pseudoCount);
  else
    markov_builder::writeModelFile(options.outputFile, counts, options.pseudoCount);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const BuilderOptions options = parseArguments(argc, argv);
    if (options.helpWanted) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    buildModel(options);
    return 0;
  } catch (const UsageError& error) {
    std::fprintf(stderr, "Error: %s\nRun zelkova-markov --help for the options.\n", error.message.c_str());
  } catch (const FatalError& error) {
    std::fputs(error.what(), stderr);
  } catch (const std::bad_alloc&) {
    std::fputs("Error: out of memory.\n", stderr);
  }
  return 1;
}
