// zelkova-markov: builds the Markov model files that zelkova reads (-b and -z)
// from FASTA sequences.
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/companion_parser.h"
#include "formats/command_files.h"
#include "formats/fasta.h"
#include "formats/numbers.h"
#include "formats/output_file.h"
#include "stats/markov_builder.h"

namespace {

const char* const kDescription =
    "Counts the words of 1 to ORDER+1 letters in the FASTA files and writes a\n"
    "Markov model of order ORDER in the format zelkova reads with -b and -z.\n"
    "FASTA files may be gzip-compressed; \"-\" reads standard input. Each\n"
    "record streams by, so a whole genome counts in a few megabytes. IUPAC\n"
    "codes (R, Y, ...) are read as N; any other letter that is not DNA is refused.\n";

struct BuilderOptions {
  std::string outputFile;  // empty: standard output
  int order = stats::kDefaultMarkovOrder;
  double pseudoCount = stats::kDefaultMarkovPseudocount;
  bool bothStrands = true;
  std::vector<std::string> inputFiles;
};

// Nothing when --help or --version was answered.
std::optional<BuilderOptions> parseArguments(int argc, const char* const* argv) {
  BuilderOptions options;
  cli::Parser parser("zelkova-markov", "[options] FASTA [FASTA ...]", kDescription);
  parser.value("-o", "--output", "FILE", "write the model to FILE (default, or \"-\": standard output)",
               options.outputFile);
  parser.value(
      "-m", "--order", "ORDER",
      cli::helpWith("Markov order, 0 to {max} (default {default})",
                    {{"max", std::to_string(stats::kMaxMarkovOrder)}, {"default", std::to_string(options.order)}}),
      [&](const std::string& value) {
        options.order = static_cast<int>(cli::wholeNumber(value, "order", 0, stats::kMaxMarkovOrder));
      });
  parser.value("-p", "--pseudocount", "PC",
               cli::helpWith("added to every count, a number above 0 (default {default})",
                             {{"default", formats::compact(options.pseudoCount)}}),
               [&](const std::string& value) {
                 options.pseudoCount = cli::realNumber(value, "pseudo-count", {0.0, false});
               });
  parser.flag("-r", "--forward-only", "count the given strand only (default: both strands)",
              [&] { options.bothStrands = false; });
  std::optional<std::vector<std::string>> files = parser.parse(argc, argv);
  if (!files) return std::nullopt;
  if (files->empty()) throw UsageError("no FASTA file given.");
  options.inputFiles = std::move(*files);
  return options;
}

void buildModel(const BuilderOptions& options) {
  formats::checkCommandFiles(options.inputFiles, {{options.outputFile, "output"}});
  stats::WordCounts counts(options.order + 1);
  for (const std::string& file : options.inputFiles) {
    const std::string note =
        iupacNote(formats::inputName(file), stats::countFastaFile(file, options.bothStrands, counts));
    if (!note.empty()) std::fprintf(stderr, "%s\n", note.c_str());
  }
  formats::writeWholeFile(options.outputFile, stats::modelText(counts, options.pseudoCount));
}

}  // namespace

int main(int argc, char** argv) {
  return cli::runProgram("zelkova-markov", [&] {
    const std::optional<BuilderOptions> options = parseArguments(argc, argv);
    if (options) buildModel(*options);
    return 0;
  });
}
