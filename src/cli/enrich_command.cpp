#include "cli/enrich_command.h"

#include <cstdio>
#include <limits>
#include <sstream>

#include "base/errors.h"
#include "base/words.h"
#include "cli/companion_parser.h"
#include "formats/command_files.h"
#include "formats/output_file.h"
#include "formats/report_reader.h"
#include "stats/enrichment_rows.h"
#include "stats/known_enrichment.h"
#include "stats/known_rows.h"
#include "stats/shuffle.h"

namespace cli {

namespace {

using Note = std::function<void(const std::string&)>;

const char* const kDescription =
    "Tests every motif of MOTIFS (a zelkova report, or a MEME, JASPAR, TRANSFAC or\n"
    "HOMER file; the format is told from the content) for enrichment in PRIMARY\n"
    "against CONTROL. A sequence scores its best window under the motif (the\n"
    "score of a report's site lines); the sequences of each set that reach a\n"
    "threshold are counted and compared with a one-sided Fisher exact test.\n"
    "Without CONTROL, shuffled copies of the primary sequences that keep their\n"
    "word counts are the control. FASTA files may be gzip-compressed; \"-\"\n"
    "reads one of them from standard input. IUPAC codes (R, Y, ...) are read\n"
    "as N; any other letter that is not DNA is refused.\n"
    "Writes one tab-separated line per motif, in the file's order.\n"
    "With --db, every motif of the database files is tested the same way and\n"
    "the table lists them best first, with Benjamini-Hochberg q-values (the\n"
    "layout of zelkova-discover's known.tsv); no MOTIFS file is given then.\n"
    "Both strands are scanned, except for a report of a forward-only run.\n";

}  // namespace

std::optional<EnrichOptions> parseEnrichArguments(int argc, const char* const* argv) {
  EnrichOptions o;
  cli::Parser parser("zelkova-enrich",
                     "[options] MOTIFS PRIMARY.fa [CONTROL.fa]\n"
                     "   or: zelkova-enrich [options] --db FILE PRIMARY.fa [CONTROL.fa]",
                     kDescription);
  parser.value("-o", "--output", "FILE", "write the table to FILE (default, or \"-\": standard output)", o.outputFile);
  parser.repeatable("-d", "--db", "FILE",
                    "test every motif of the database FILE (any motif\n"
                    "format) instead of MOTIFS; may be given more than once,\n"
                    "read as one database whose identifiers must be unique",
                    o.databaseFiles);
  parser.value("", "--sites", "FILE", "also write every counted site to FILE (\"-\": standard output)", o.sitesFile);
  parser.value("", "--threshold", "X",
               "count the sequences whose best window scores at least X,\n"
               "above 0 and at most 1 (default: chosen per motif)",
               [&](const std::string& v) {
                 o.threshold = cli::realNumber(v, "--threshold", {0.0, false, 1.0, true});
               });
  parser.value("", "--shuffle", "K",
               cli::helpWith("without CONTROL: the shuffles keep every word of K letters,\n"
                             "{min} to {max} (default {default})",
                             {{"min", std::to_string(stats::kMinShuffleWordLength)},
                              {"max", std::to_string(stats::kMaxShuffleWordLength)},
                              {"default", std::to_string(o.shuffleWordLength)}}),
               [&](const std::string& v) {
                 o.shuffleWordLength = static_cast<int>(
                     cli::wholeNumber(v, "--shuffle", stats::kMinShuffleWordLength, stats::kMaxShuffleWordLength));
                 o.shuffleOptionGiven = true;
               });
  parser.value("", "--copies", "N",
               cli::helpWith("without CONTROL: shuffled copies of each sequence (default {default})",
                             {{"default", std::to_string(o.copies)}}),
               [&](const std::string& v) {
                 o.copies = static_cast<int>(cli::wholeNumber(v, "--copies", 1, 1000));
                 o.shuffleOptionGiven = true;
               });
  parser.value(
      "", "--seed", "S",
      cli::helpWith("without CONTROL: seed of the shuffles, 0 or more (default {default})",
                    {{"default", std::to_string(o.seed)}}),
      [&](const std::string& v) {
        o.seed = static_cast<std::uint64_t>(cli::wholeNumber(v, "--seed", 0, std::numeric_limits<long long>::max()));
        o.shuffleOptionGiven = true;
      });
  parser.whole("-p", "--threads", "N", "threads (default: every processor); the output is the same", o.threads, 1,
               1024);
  cli::addMaxLettersOption(parser, o.maxLetters);
  const std::optional<std::vector<std::string>> files = parser.parse(argc, argv);
  if (!files) return std::nullopt;
  const std::size_t motifFiles = o.databaseFiles.empty() ? 1 : 0;
  if (files->size() < motifFiles + 1)
    throw UsageError(motifFiles ? "give a MOTIFS and a PRIMARY.fa file." : "give a PRIMARY.fa file.");
  if (files->size() > motifFiles + 2)
    throw UsageError(motifFiles ? "more than three files given."
                                : "more than two files given (with --db, no MOTIFS file is given).");
  if (motifFiles) o.motifFile = (*files)[0];
  o.primaryFile = (*files)[motifFiles];
  if (files->size() == motifFiles + 2) o.controlFile = (*files)[motifFiles + 1];
  if (!o.sitesFile.empty() && !o.databaseFiles.empty())
    throw UsageError("--sites lists the windows of the motifs of a MOTIFS file, not of a whole --db.");
  if (!o.controlFile.empty() && o.shuffleOptionGiven)
    throw UsageError("--shuffle, --copies and --seed make a shuffled control; they do not go with CONTROL.fa.");
  if (!o.sitesFile.empty() && o.sitesFile == o.outputFile)
    throw UsageError("the table and the sites cannot go to the same file.");
  return o;
}

namespace {

bool holdsBases(const std::vector<FastaRecord>& records) {
  for (const FastaRecord& r : records)
    for (char c : r.letters)
      if (base::baseIndex(c) >= 0) return true;
  return false;
}

// The records of a FASTA input; the count of its IUPAC letters goes to
// `note`.
std::vector<FastaRecord> readSequences(const std::string& path, const EnrichOptions& o, const Note& note) {
  DnaRules rules;
  rules.maxLetters = o.maxLetters;
  DnaFile file = readDnaFile(path, rules);
  const std::string text = iupacNote(formats::inputName(path), file.iupacLetters);
  if (!text.empty()) note(text);
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
                   std::to_string(letters) + " letters of " + formats::inputName(o.primaryFile) + ", more than " +
                   std::to_string(o.maxLetters) +
                   " letters (limit set by --max-letters); give fewer --copies or a CONTROL.fa.\n");
}

std::vector<FastaRecord> controlSet(const EnrichOptions& o, const std::vector<FastaRecord>& primary, const Note& note) {
  if (!o.controlFile.empty()) {
    std::vector<FastaRecord> control = readSequences(o.controlFile, o, note);
    if (!holdsBases(control))
      throw FatalError("Error: " + formats::inputName(o.controlFile) + " holds no A, C, G or T.\n");
    return control;
  }
  requireShuffledControlWithinLimit(o, primary);
  std::vector<FastaRecord> control = stats::shuffledCopies(primary, o.shuffleWordLength, o.copies, o.seed, o.threads);
  if (!holdsBases(control))
    throw FatalError("Error: " + formats::inputName(o.primaryFile) +
                     " holds no A, C, G or T, so its shuffles make no control.\n");
  return control;
}

// The motifs of a MOTIFS file: a report's with its consensus words and on the
// strands its run searched, any other file's on both.
EnrichTables motifTables(const formats::MotifFile& file, stats::EnrichmentOptions options,
                         const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control) {
  options.bothStrands = !file.report || !file.report->parameters.forwardOnly;
  const std::vector<stats::MotifMatrix> motifs =
      file.report ? stats::motifsOfReport(*file.report) : stats::motifsOf(file.motifs);
  const std::vector<stats::MotifResult> results = stats::testMotifs(motifs, primary, control, options);
  std::ostringstream table, sites;
  stats::writeEnrichmentTable(table, results);
  if (options.collectSites) stats::writeEnrichmentSites(sites, results, primary, control);
  return {table.str(), sites.str()};
}

}  // namespace

EnrichMotifs readMotifs(const EnrichOptions& o) {
  EnrichMotifs motifs;
  if (!o.databaseFiles.empty()) motifs.database = formats::readFiles(o.databaseFiles);
  if (!o.motifFile.empty()) motifs.file = formats::readWholeFile(o.motifFile);
  return motifs;
}

EnrichTables tables(const EnrichOptions& o, const EnrichMotifs& motifs, const Note& note,
                    const std::function<void(std::size_t tested, std::size_t total)>& progress) {
  const std::vector<FastaRecord> primary = readSequences(o.primaryFile, o, note);
  const std::vector<FastaRecord> control = controlSet(o, primary, note);
  stats::EnrichmentOptions options;
  options.threshold = o.threshold;
  options.threads = o.threads;
  options.collectSites = !o.sitesFile.empty();
  options.progress = progress;
  if (motifs.database.empty()) return motifTables(motifs.file, options, primary, control);
  return {stats::knownTable(stats::testDatabase(motifs.database, primary, control, options)), ""};
}

int runEnrich(const EnrichOptions& o) {
  std::vector<std::string> inputs = o.databaseFiles;
  if (!o.motifFile.empty()) inputs.push_back(o.motifFile);
  inputs.push_back(o.primaryFile);
  if (!o.controlFile.empty()) inputs.push_back(o.controlFile);
  std::vector<formats::OutputTarget> outputs{{o.outputFile, "output"}};
  if (!o.sitesFile.empty()) outputs.push_back({o.sitesFile, "sites"});
  formats::checkCommandFiles(inputs, outputs);

  // The motifs are read first: a damaged motif file is found before the
  // sequences are read.
  const EnrichMotifs motifs = readMotifs(o);
  const EnrichTables found =
      tables(o, motifs, [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });

  // Both outputs are complete before either is put in place.
  std::optional<formats::OutputFile> sitesOut;
  if (!o.sitesFile.empty()) {
    sitesOut.emplace(formats::openOutput(o.sitesFile));
    sitesOut->write(found.sites);
  }
  formats::OutputFile tableOut = formats::openOutput(o.outputFile);
  tableOut.write(found.table);
  if (sitesOut) sitesOut->commit();
  tableOut.commit();
  return 0;
}

}  // namespace cli
