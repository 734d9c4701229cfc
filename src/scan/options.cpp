#include "scan/options.h"

#include "base/parallel.h"
#include "cli/companion_parser.h"
#include "formats/numbers.h"

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

struct LayoutName {
  const char* name;
  formats::Layout layout;
};
constexpr LayoutName kLayouts[] = {
    {"tsv", formats::Layout::Tsv}, {"bed", formats::Layout::Bed}, {"gff3", formats::Layout::Gff3}};

formats::Layout layoutOf(const std::string& value) {
  for (const LayoutName& l : kLayouts)
    if (value == l.name) return l.layout;
  throw UsageError("--format \"" + value + "\" is not one of tsv, bed, gff3.");
}

// "tsv (default), bed or gff3".
std::string layoutsHelp(formats::Layout byDefault) {
  std::string text;
  for (const LayoutName& l : kLayouts) {
    if (!text.empty()) text += &l == std::end(kLayouts) - 1 ? " or " : ", ";
    text += std::string(l.name) + (l.layout == byDefault ? " (default)" : "");
  }
  return text;
}

struct StrandsName {
  const char* name;
  Strands strands;
};
constexpr StrandsName kStrands[] = {{"+", Strands::Forward}, {"-", Strands::Reverse}, {"both", Strands::Both}};

Strands strandsOf(const std::string& value) {
  for (const StrandsName& s : kStrands)
    if (value == s.name) return s.strands;
  throw UsageError("--strand \"" + value + "\" is not one of +, -, both.");
}

const char* strandsName(Strands strands) {
  for (const StrandsName& s : kStrands)
    if (strands == s.strands) return s.name;
  return "both";
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
  parser.value("", "--format", "F", layoutsHelp(o.layout), [&](const std::string& v) { o.layout = layoutOf(v); });
  parser.value("-g", "--genome", "FILE", "scan the genome FASTA FILE (plain or bgzip) instead of\nSEQUENCES.fa",
               o.genomeFile);
  parser.value("-r", "--regions", "FILE", "with --genome: scan only the regions of the BED FILE", o.regionsFile);
  parser.value("", "--bg", "B",
               cli::helpWith("background letter probabilities: a MEME background file,\n"
                             "\"sequences\" (the letters scanned, both strands{default})\n"
                             "or \"uniform\"",
                             {{"default", o.background == BackgroundSource::Sequences ? "; default" : ""}}),
               [&](const std::string& v) { setBackground(o, v); });
  parser.real("", "--pseudocount", "X",
              "sites added to each motif column, spread by the\nbackground, {min} or more (default {default})",
              o.pseudocount, {0.0, true, 1e6, true});
  parser.value("", "--strand", "S",
               cli::helpWith("+, - or both (default {default})", {{"default", strandsName(o.strands)}}),
               [&](const std::string& v) { o.strands = strandsOf(v); });
  parser.value("", "--pvalue", "P",
               cli::helpWith("write the sites of p at most P, above 0 and at most 1\n(default {default})",
                             {{"default", formats::compact(o.pValue)}}),
               [&](const std::string& v) {
                 o.pValue = cli::realNumber(v, "--pvalue", {0.0, false, 1.0, true});
                 pValueGiven = true;
               });
  parser.value("", "--qvalue", "Q", "write the sites of q at most Q instead, above 0 and at\nmost 1",
               [&](const std::string& v) {
                 o.qValue = cli::realNumber(v, "--qvalue", {0.0, false, 1.0, true});
               });
  parser.whole("", "--max-sites", "N", "keep at most N sites per motif, the best by p\n(default {default})", o.maxSites,
               1, 1000000000);
  cli::addMaxLettersOption(parser, o.maxLetters, cli::LetterLimit::Record);
  parser.whole("-p", "--threads", "N", "threads (default: every processor); the output is the same", o.threads, 1,
               1024);
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
    throw UsageError(
        "standard input (-) can be read only once, and --bg sequences reads the sequences twice; "
        "give --bg uniform or a background file, or name the FASTA file.");
  return o;
}

}  // namespace scan
