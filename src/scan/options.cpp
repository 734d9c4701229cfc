#include "scan/options.h"

#include "base/parallel.h"
#include "cli/companion_parser.h"
#include "stats/scoring_matrix.h"

namespace scan {

namespace {

const char* const kSynopsis =
    "[options] MOTIFS... SEQUENCES.fa\n"
    "   or: zelkova-scan [options] MOTIFS... --genome GENOME.fa [--regions REGIONS.bed]";

const char* const kDescription =
    "Finds the sites of motifs in DNA: every window of every sequence, on both\n"
    "strands, gets the log-odds score of the motif (bits) and the exact p-value\n"
    "of that score when the letters are drawn from the background; windows of p\n"
    "at most --pvalue are written, with their Benjamini-Hochberg q-value over\n"
    "every window of the motif. MOTIFS are motif files of any format (MEME,\n"
    "JASPAR, TRANSFAC, HOMER, a zelkova report; several are read as one set).\n"
    "SEQUENCES.fa may be gzip-compressed; a genome (plain or bgzip, with or\n"
    "without its .fai index) is read a chromosome piece at a time.\n";

site_table::Layout layoutOf(const std::string& value) {
  if (value == "tsv") return site_table::Layout::Tsv;
  if (value == "bed") return site_table::Layout::Bed;
  if (value == "gff3") return site_table::Layout::Gff3;
  throw UsageError("--format \"" + value + "\" is not one of tsv, bed, gff3.");
}

Strands strandsOf(const std::string& value) {
  if (value == "+") return Strands::Forward;
  if (value == "-") return Strands::Reverse;
  if (value == "both") return Strands::Both;
  throw UsageError("--strand \"" + value + "\" is not one of +, -, both.");
}

void setBackground(Options& o, const std::string& value) {
  if (value == "sequences") {
    o.background = BackgroundSource::Sequences;
  } else if (value == "uniform") {
    o.background = BackgroundSource::Uniform;
  } else {
    o.background = BackgroundSource::File;
    o.backgroundFile = value;
  }
}

void addOptions(cli::Parser& parser, Options& o, bool& pValueGiven) {
  parser.value("-o", "--output", "FILE", "write the sites to FILE (default: standard output)", o.outputFile);
  parser.value("", "--format", "F", "tsv (default), bed or gff3",
               [&](const std::string& v) { o.layout = layoutOf(v); });
  parser.value("-g", "--genome", "FILE", "scan the genome FASTA FILE (plain or bgzip) instead of\nSEQUENCES.fa",
               o.genomeFile);
  parser.value("-r", "--regions", "FILE", "with --genome: scan only the regions of the BED FILE", o.regionsFile);
  parser.value("", "--bg", "B",
               "background letter probabilities: a MEME background file,\n"
               "\"sequences\" (the letters scanned, both strands; default)\n"
               "or \"uniform\"",
               [&](const std::string& v) { setBackground(o, v); });
  parser.value("", "--pseudocount", "X",
               "sites added to each motif column, spread by the\nbackground, 0 or more (default 0.1)",
               [&](const std::string& v) { o.pseudocount = cli::realNumber(v, "--pseudocount", {0.0, true, 1e6, true}); });
  parser.value("", "--strand", "S", "+, - or both (default both)", [&](const std::string& v) { o.strands = strandsOf(v); });
  parser.value("", "--pvalue", "P", "write the sites of p at most P, above 0 and at most 1\n(default 1e-4)",
               [&](const std::string& v) {
                 o.pValue = cli::realNumber(v, "--pvalue", {0.0, false, 1.0, true});
                 pValueGiven = true;
               });
  parser.value("", "--qvalue", "Q", "write the sites of q at most Q instead, above 0 and at\nmost 1",
               [&](const std::string& v) { o.qValue = cli::realNumber(v, "--qvalue", {0.0, false, 1.0, true}); });
  parser.value("", "--max-sites", "N", "keep at most N sites per motif, the best by p\n(default 100000)",
               [&](const std::string& v) { o.maxSites = cli::wholeNumber(v, "--max-sites", 1, 1000000000); });
  cli::addMaxLettersOption(parser, o.maxLetters, cli::LetterLimit::Record);
  parser.value("-p", "--threads", "N", "threads (default: every processor); the output is the same",
               [&](const std::string& v) { o.threads = static_cast<int>(cli::wholeNumber(v, "--threads", 1, 1024)); });
}

void takeFiles(Options& o, const std::vector<std::string>& files) {
  if (o.genomeFile.empty()) {
    if (files.size() < 2) throw UsageError("give MOTIFS and SEQUENCES.fa (or --genome GENOME.fa).");
    o.motifFiles.assign(files.begin(), files.end() - 1);
    o.sequenceFile = files.back();
  } else {
    if (files.empty()) throw UsageError("give a MOTIFS file.");
    o.motifFiles = files;
  }
}

}  // namespace

std::vector<std::string> Options::inputFiles() const {
  std::vector<std::string> files = motifFiles;
  for (const std::string* file : {&sequenceFile, &genomeFile, &regionsFile, &backgroundFile})
    if (!file->empty()) files.push_back(*file);
  return files;
}

std::optional<Options> parseArguments(int argc, const char* const* argv) {
  Options o;
  o.threads = availableProcessors();
  o.pseudocount = scoring::kDefaultPseudocount;
  bool pValueGiven = false;
  cli::Parser parser("zelkova-scan", kSynopsis, kDescription);
  addOptions(parser, o, pValueGiven);
  const std::optional<std::vector<std::string>> files = parser.parse(argc, argv);
  if (!files) return std::nullopt;
  takeFiles(o, *files);
  if (!o.regionsFile.empty() && o.genomeFile.empty()) throw UsageError("--regions needs --genome.");
  if (pValueGiven && o.qValue) throw UsageError("give --pvalue or --qvalue, not both.");
  // The background of the sequences takes a pass of its own before the scan.
  if (o.sequenceFile == "-" && o.background == BackgroundSource::Sequences)
    throw UsageError("standard input (-) can be read only once, and --bg sequences reads the sequences twice; "
                          "give --bg uniform or a background file, or name the FASTA file.");
  return o;
}

}  // namespace scan
