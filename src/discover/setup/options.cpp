#include "discover/setup/options.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "base/parallel.h"
#include "cli/companion_parser.h"
#include "engine/run_config.h"
#include "formats/numbers.h"

namespace discover {

namespace {

const char* const kDescription =
    "Finds the motifs of PRIMARY.fa (peaks, promoters; plain or gzip; \"-\" for\n"
    "standard input), or of windows around PEAKS cut from GENOME.fa, in one run:\n"
    "masks low-complexity DNA, searches at every motif length of --lengths,\n"
    "tests each motif for enrichment against a control (by default\n"
    "dinucleotide-shuffled copies of the sequences; with --peaks random genomic\n"
    "windows of the same GC content), merges motifs that are the\n"
    "same, lists a motif that better ones explain under them, names the motifs\n"
    "by their best known matches and writes a page (DIR/index.html), MEME and\n"
    "JASPAR files and tables of the motifs and their sites into DIR.\n";

const char* const kLengthsHelp =
    "motif lengths, {min} to {max}, separated by commas, or ranges such as\n8-12 (default {default})";

}  // namespace

const char* decoyModeName(DecoyMode mode) {
  switch (mode) {
    case DecoyMode::Auto: return "auto";
    case DecoyMode::Yes: return "yes";
    case DecoyMode::No: return "no";
  }
  return "auto";
}

bool decoyRuns(DecoyMode mode, std::size_t primarySequences) {
  if (mode == DecoyMode::Auto) return primarySequences < static_cast<std::size_t>(kDecoyAutoBelow);
  return mode == DecoyMode::Yes;
}

namespace {

int lengthIn(const std::string& word, const std::string& text) {
  return static_cast<int>(cli::wholeNumber(word, "--lengths \"" + text + "\": the length", kMinLength, kMaxLength));
}

// The lengths one comma-separated word of --lengths names: "10" or "8-12".
std::vector<int> lengthsOfWord(const std::string& word, const std::string& text) {
  const std::size_t dash = word.find('-');
  if (dash == std::string::npos) return {lengthIn(word, text)};
  const int from = lengthIn(word.substr(0, dash), text), to = lengthIn(word.substr(dash + 1), text);
  if (from > to)
    throw UsageError("--lengths \"" + text + "\": the range " + word + " runs backwards (write " + std::to_string(to) +
                     "-" + std::to_string(from) + ").");
  std::vector<int> lengths;
  for (int length = from; length <= to; ++length) lengths.push_back(length);
  return lengths;
}

}  // namespace

std::vector<int> parseLengths(const std::string& text) {
  std::vector<int> lengths;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string word = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    for (int length : lengthsOfWord(word, text)) {
      if (std::find(lengths.begin(), lengths.end(), length) != lengths.end())
        throw UsageError("--lengths names the length " + std::to_string(length) + " twice.");
      lengths.push_back(length);
    }
    if (comma == std::string::npos) return lengths;
    start = comma + 1;
  }
}

std::string lengthsText(const std::vector<int>& lengths) {
  std::string text;
  for (int length : lengths) text += (text.empty() ? "" : ",") + std::to_string(length);
  return text;
}

bool parseStrand(const std::string& text) {
  if (text == "both") return true;
  if (text == "+") return false;
  throw UsageError("--strand \"" + text + "\" is not one of + and both.");
}

void checkMismatches(int mismatches, const std::vector<int>& lengths) {
  const int shortest = *std::min_element(lengths.begin(), lengths.end());
  if (mismatches >= shortest)
    throw UsageError("--mismatches " + std::to_string(mismatches) +
                     " must be below the shortest motif length of --lengths (" + std::to_string(shortest) + ").");
}

DecoyMode parseDecoyMode(const std::string& text) {
  for (DecoyMode mode : {DecoyMode::Auto, DecoyMode::Yes, DecoyMode::No})
    if (text == decoyModeName(mode)) return mode;
  throw UsageError("--decoy \"" + text + "\" is not one of auto, yes and no.");
}

std::string parsePrefix(const std::string& text) {
  constexpr std::size_t kMaxPrefix = 100;
  const bool allowed = text.size() <= kMaxPrefix && std::all_of(text.begin(), text.end(), [](char c) {
                         return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
                       });
  if (!allowed)
    throw UsageError("--prefix \"" + text + "\" is not up to " + std::to_string(kMaxPrefix) +
                     " letters, digits, '.', '_' and '-'.");
  return text;
}

const std::string& primarySource(const Options& options) {
  return options.genome.peaksFile.empty() ? options.primaryFile : options.genome.peaksFile;
}

std::optional<Options> parseArguments(int argc, const char* const* argv) {
  Options o;
  o.threads = availableProcessors();
  for (int i = 0; i < argc; ++i) o.commandLine += (i ? " " : "") + std::string(argv[i]);
  cli::Parser parser("zelkova-discover", "[options] (PRIMARY.fa | --peaks PEAKS --genome GENOME.fa) -o DIR",
                     kDescription);
  parser.value("-o", "--output", "DIR", "write the results into DIR, a new directory (required)", o.outputDir);
  parser.value("-c", "--control", "FASTA",
               "control sequences, plain or gzip (default: 2 dinucleotide-shuffled\n"
               "copies of each primary sequence; with --peaks the genomic\n"
               "background)",
               o.controlFile);
  std::vector<std::string> peaksOnly;  // options given that need --peaks
  addGenomeOptions(parser, o.genome, peaksOnly);
  bool trimGiven = false, decoyGiven = false;
  parser.value("-l", "--lengths", "L,L,...",
               cli::helpWith(kLengthsHelp, {{"min", std::to_string(kMinLength)},
                                            {"max", std::to_string(kMaxLength)},
                                            {"default", lengthsText(o.lengths)}}),
               [&](const std::string& v) { o.lengths = parseLengths(v); });
  parser.value("-m", "--mismatches", "M",
               cli::helpWith("search every length with M mismatches (0 to {max}, below the shortest\nlength) instead "
                             "of the plan's allowances",
                             {{"max", std::to_string(kMaxLength - 1)}}),
               [&](const std::string& v) {
                 o.mismatches = static_cast<int>(cli::wholeNumber(v, "--mismatches", 0, kMaxLength - 1));
               });
  const cli::RealBounds thresholds{kMinThreshold, true, kMaxThreshold, true};
  parser.value("", "--threshold", "X",
               cli::helpWith("the searches' site threshold, {min} to {max} (zelkova's -thr; default\n{default})",
                             {{"min", formats::fixedPoint(kMinThreshold, 1)},
                              {"max", formats::fixedPoint(kMaxThreshold, 1)},
                              {"default", formats::compact(RunConfig().scanThreshold)}}),
               [&](const std::string& v) { o.threshold = cli::realNumber(v, "--threshold", thresholds); });
  parser.value("", "--strand", "+|both",
               cli::helpWith("both: sites on either strand{both}; +: on the sequences as\ngiven only, as for "
                             "stranded regions such as RNA",
                             {{"both", o.bothStrands ? " (default)" : ""}}),
               [&](const std::string& v) { o.bothStrands = parseStrand(v); });
  parser.value(
      "", "--trim", "N",
      cli::helpWith("keep the central N letters of each record ({min} or more)", {{"min", std::to_string(kMinLength)}}),
      [&](const std::string& v) {
        o.trim = static_cast<int>(cli::wholeNumber(v, "--trim", kMinLength, std::numeric_limits<int>::max()));
        trimGiven = true;
      });
  parser.flag("", "--mask-lowercase", "turn lower-case (soft-masked) letters into N", o.maskLowercase);
  parser.flag("", "--no-dust", "keep low-complexity DNA (simple repeats) instead of masking it",
              [&] { o.dust = false; });
  parser.whole("", "--dust-level", "N",
               "mask DNA whose DUST score exceeds N / 10, {min} to {max}; higher masks\nless (default {default})",
               o.dustLevel, 1, kMaxDustLevel);
  parser.whole("", "--seed", "S",
               "seed of the shuffles, the held-out sequences and the genomic\nbackground, {min} or more (default "
               "{default})",
               o.seed, 0, std::numeric_limits<long long>::max());
  parser.value("", "--decoy", "auto|yes|no",
               cli::helpWith("search sets drawn from the control the same way, for the E-value\nchance reaches; auto: "
                             "below {below} primary sequences (default {default})",
                             {{"below", std::to_string(kDecoyAutoBelow)}, {"default", decoyModeName(o.decoy)}}),
               [&](const std::string& v) {
                 o.decoy = parseDecoyMode(v);
                 decoyGiven = true;
               });
  bool noDecoy = false;
  parser.flag("", "--no-decoy", "no decoy: the same as --decoy no", noDecoy);
  parser.real("", "--holdout", "F",
              "keep the fraction F ({min} to {max}) of the primary and control\n"
              "sequences out of the searches and test the motifs on them only\n(default {default})",
              o.holdout, {0.0, true, kMaxHoldout, true});
  parser.whole("-n", "--top", "N", "report the N best motifs (default {default})", o.top, 1, 1000);
  parser.value("", "--prefix", "NAME",
               cli::helpWith("name the motifs NAME-1, NAME-2, ... (default {default}), for\nexample after the sample",
                             {{"default", o.motifPrefix}}),
               [&](const std::string& v) { o.motifPrefix = parsePrefix(v); });
  parser.repeatable("-d", "--db", "FILE",
                    "known motifs to name the motifs by and to test for\n"
                    "enrichment (MEME, JASPAR, TRANSFAC, HOMER); repeatable: one\n"
                    "database of unique identifiers (default: the bundled\n"
                    "JASPAR collection)",
                    o.databaseFiles);
  parser.flag("", "--no-known", "do not test the known motifs for enrichment (no known.tsv)",
              [&] { o.knownEnrichment = false; });
  parser.flag("", "--keep-side-files", "keep the side files of every search under DIR/runs", o.keepSideFiles);
  parser.flag("", "--force", "write into DIR even when it exists", o.force);
  parser.whole("-p", "--threads", "N", "threads (default: every processor); the results are the same", o.threads, 1,
               1024);
  cli::addMaxLettersOption(parser, o.maxLetters);
  const std::optional<std::vector<std::string>> files = parser.parse(argc, argv);
  if (!files) return std::nullopt;
  if (noDecoy) {
    if (decoyGiven) throw UsageError("--no-decoy and --decoy cannot both be given.");
    o.decoy = DecoyMode::No;
  }
  if (o.mismatches) checkMismatches(*o.mismatches, o.lengths);
  if (files->size() > 1) throw UsageError("more than one PRIMARY.fa given (" + (*files)[0] + ", " + (*files)[1] + ").");
  checkGenomeOptions(o.genome, peaksOnly, !files->empty(), !o.controlFile.empty(), trimGiven);
  if (o.genome.indexOnly) return o;
  if (files->empty() && o.genome.peaksFile.empty())
    throw UsageError("no PRIMARY.fa given (nor --peaks PEAKS --genome GENOME.fa).");
  if (o.outputDir.empty()) throw UsageError("no output directory given (-o DIR).");
  if (o.outputDir == "-")
    throw UsageError("-o names a directory for the results, which standard output (-) cannot hold.");
  if (!files->empty()) o.primaryFile = files->front();
  return o;
}

}  // namespace discover
