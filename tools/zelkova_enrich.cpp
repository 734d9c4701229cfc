// zelkova-enrich: is each motif of a zelkova report enriched in a set of
// sequences against a control set? Writes a table of counts, p-values and
// E-values, one line per motif.
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/parallel.h"
#include "base/words.h"
#include "cli/companion_parser.h"
#include "formats/command_files.h"
#include "formats/fasta.h"
#include "formats/output_file.h"
#include "formats/report_reader.h"
#include "stats/enrichment.h"
#include "stats/enrichment_table.h"
#include "stats/shuffle.h"

namespace {

const char* const kDescription =
    "Tests every motif of REPORT (a report written by zelkova) for enrichment in\n"
    "PRIMARY against CONTROL. A sequence scores its best window under the motif\n"
    "(the score of the report's site lines); the sequences of each set that\n"
    "reach a threshold are counted and compared with a one-sided Fisher exact\n"
    "test. Without CONTROL, shuffled copies of the primary sequences that keep\n"
    "their word counts are the control. FASTA files may be gzip-compressed;\n"
    "\"-\" reads one of them from standard input. IUPAC codes (R, Y, ...) are\n"
    "read as N; any other letter that is not DNA is refused.\n"
    "Writes one tab-separated line per motif, in report order.\n";

struct EnrichOptions {
  std::string reportFile;
  std::string primaryFile;
  std::string controlFile;  // empty: shuffled copies of the primary set
  std::string outputFile;   // empty: standard output
  std::string sitesFile;    // empty: no site list
  std::optional<double> threshold;
  int shuffleWordLength = 2;
  int copies = 2;
  std::uint64_t seed = 0;
  int threads = availableProcessors();
  bool shuffleOptionGiven = false;
  std::uint64_t maxLetters = 0;
};

// Nothing when --help or --version was answered.
std::optional<EnrichOptions> parseArguments(int argc, const char* const* argv) {
  EnrichOptions o;
  cli::Parser parser("zelkova-enrich", "[options] REPORT PRIMARY.fa [CONTROL.fa]", kDescription);
  parser.value("-o", "--output", "FILE", "write the table to FILE (default, or \"-\": standard output)",
               o.outputFile);
  parser.value("", "--sites", "FILE", "also write every counted site to FILE (\"-\": standard output)",
               o.sitesFile);
  parser.value("", "--threshold", "X",
               "count the sequences whose best window scores at least X,\n"
               "above 0 and at most 1 (default: chosen per motif)",
               [&](const std::string& v) { o.threshold = cli::realNumber(v, "--threshold", {0.0, false, 1.0, true}); });
  parser.value("", "--shuffle", "K",
               "without CONTROL: the shuffles keep every word of K letters,\n"
               "1 to 6 (default 2)",
               [&](const std::string& v) {
                 o.shuffleWordLength = static_cast<int>(
                     cli::wholeNumber(v, "--shuffle", shuffle::kMinWordLength, shuffle::kMaxWordLength));
                 o.shuffleOptionGiven = true;
               });
  parser.value("", "--copies", "N", "without CONTROL: shuffled copies of each sequence (default 2)",
               [&](const std::string& v) {
                 o.copies = static_cast<int>(cli::wholeNumber(v, "--copies", 1, 1000));
                 o.shuffleOptionGiven = true;
               });
  parser.value("", "--seed", "S", "without CONTROL: seed of the shuffles, 0 or more (default 0)",
               [&](const std::string& v) {
                 o.seed = static_cast<std::uint64_t>(
                     cli::wholeNumber(v, "--seed", 0, std::numeric_limits<long long>::max()));
                 o.shuffleOptionGiven = true;
               });
  parser.value("-p", "--threads", "N", "threads (default: every processor); the output is the same",
               [&](const std::string& v) { o.threads = static_cast<int>(cli::wholeNumber(v, "--threads", 1, 1024)); });
  cli::addMaxLettersOption(parser, o.maxLetters);
  const std::optional<std::vector<std::string>> files = parser.parse(argc, argv);
  if (!files) return std::nullopt;
  if (files->size() < 2) throw cli::UsageError("give a REPORT and a PRIMARY.fa file.");
  if (files->size() > 3) throw cli::UsageError("more than three files given.");
  o.reportFile = (*files)[0];
  o.primaryFile = (*files)[1];
  if (files->size() == 3) o.controlFile = (*files)[2];
  if (!o.controlFile.empty() && o.shuffleOptionGiven)
    throw cli::UsageError("--shuffle, --copies and --seed make a shuffled control; they do not go with CONTROL.fa.");
  if (!o.sitesFile.empty() && o.sitesFile == o.outputFile)
    throw cli::UsageError("the table and the sites cannot go to the same file.");
  return o;
}

bool holdsBases(const std::vector<FastaRecord>& records) {
  for (const FastaRecord& r : records)
    for (char c : r.letters)
      if (words::baseIndex(c) >= 0) return true;
  return false;
}

// The records of a FASTA input; the count of its IUPAC letters goes to
// standard error.
std::vector<FastaRecord> readSequences(const std::string& path, const EnrichOptions& o) {
  DnaRules rules;
  rules.maxLetters = o.maxLetters;
  DnaFile file = readDnaFile(path, rules);
  const std::string note = iupacNote(command_files::inputName(path), file.iupacLetters);
  if (!note.empty()) std::fprintf(stderr, "%s\n", note.c_str());
  return std::move(file.records);
}

// The shuffled copies are held like a control read from a file, so
// --max-letters bounds them too: many --copies of a large set would
// otherwise take memory in proportion to their product.
void requireShuffledControlWithinLimit(const EnrichOptions& o, const std::vector<FastaRecord>& primary) {
  std::uint64_t letters = 0;
  for (const FastaRecord& r : primary) letters += r.letters.size();
  const std::uint64_t copies = static_cast<std::uint64_t>(o.copies);
  if (letters <= o.maxLetters / copies) return;
  throw FatalError("Error: the shuffled control would hold " + std::to_string(copies) + " copies of the " +
                   std::to_string(letters) + " letters of " + command_files::inputName(o.primaryFile) +
                   ", more than " + std::to_string(o.maxLetters) +
                   " letters (limit set by --max-letters); give fewer --copies or a CONTROL.fa.\n");
}

std::vector<FastaRecord> controlSet(const EnrichOptions& o, const std::vector<FastaRecord>& primary) {
  if (!o.controlFile.empty()) {
    std::vector<FastaRecord> control = readSequences(o.controlFile, o);
    if (!holdsBases(control))
      throw FatalError("Error: " + command_files::inputName(o.controlFile) + " holds no A, C, G or T.\n");
    return control;
  }
  requireShuffledControlWithinLimit(o, primary);
  std::vector<FastaRecord> control = shuffle::shuffledCopies(primary, o.shuffleWordLength, o.copies, o.seed, o.threads);
  if (!holdsBases(control))
    throw FatalError("Error: " + command_files::inputName(o.primaryFile) +
                     " holds no A, C, G or T, so its shuffles make no control.\n");
  return control;
}

int run(const EnrichOptions& o) {
  std::vector<std::string> inputs{o.reportFile, o.primaryFile};
  if (!o.controlFile.empty()) inputs.push_back(o.controlFile);
  std::vector<command_files::Output> outputs{{o.outputFile, "output"}};
  if (!o.sitesFile.empty()) outputs.push_back({o.sitesFile, "sites"});
  command_files::check(inputs, outputs);

  const report::Report report = report::readFile(o.reportFile);
  const std::vector<FastaRecord> primary = readSequences(o.primaryFile, o);
  const std::vector<FastaRecord> control = controlSet(o, primary);

  enrichment::Options options;
  options.threshold = o.threshold;
  options.bothStrands = !report.parameters.forwardOnly;
  options.threads = o.threads;
  options.collectSites = !o.sitesFile.empty();
  const std::vector<enrichment::MotifResult> results =
      enrichment::testMotifs(enrichment::motifsOfReport(report), primary, control, options);

  std::ostringstream table;
  enrichment_table::writeTable(table, results);
  std::ostringstream sites;
  if (options.collectSites) enrichment_table::writeSites(sites, results, primary, control);

  // Both outputs are complete before either is put in place.
  std::optional<output_file::OutputFile> sitesOut;
  if (options.collectSites) {
    sitesOut.emplace(output_file::openOutput(o.sitesFile));
    sitesOut->write(sites.str());
  }
  output_file::OutputFile tableOut = output_file::openOutput(o.outputFile);
  tableOut.write(table.str());
  if (sitesOut) sitesOut->commit();
  tableOut.commit();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return cli::runProgram("zelkova-enrich", [&] {
    const std::optional<EnrichOptions> options = parseArguments(argc, argv);
    return options ? run(*options) : 0;
  });
}
