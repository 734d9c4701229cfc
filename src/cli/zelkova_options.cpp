#include "cli/zelkova_options.h"

#include <climits>
#include <cstdlib>

#include "base/errors.h"
#include "engine/progress.h"
#include "engine/site.h"

namespace {

const char* const kCredit = ", by the ZELKOVA developers";

const char* const kUsageLines[] = {
    "where -x is one of the following. Bracketed [] switches are optional.",
    "===================================================================",
    "-f (string) input sequences filename in fasta format.",
    "-l (integer) expected motif length ([6, 20]).",
    "-b (string) 7-order markov chain for background.",
    "-z (string) 7-order markov chain for foreground. ",
    "[-j] If used the initial sequences will be seleted using log-odd score.",
    "[-o string]  output filename.",
    "[-m integer] maximum mismatch allowed between kmers. ",
    "[-i integer] (#input sequences). Initial number of seqs use to initialize the clusters.",
    "[-c] Minimun complexity of a motif (default 0.15).",
    "[-n integer] number of top motifs to save (default 10).",
    "[-thr real] motif scanning threshold value [0.5,1) use in post-processing (default 0.75).",
    "[-v integer] initial number of clusters [10, 100] (default 40).",
    "[-k integer] Clusters initialization method. 1-enumeration (default), 2-Minimal mismatch",
    "[-r] if specified then only given strand will be used. Default is both strand.",
    "[-any] by default we assumes one site per sequence. Use this option if you suppose to have any "
    "number of sites per sequence.",
    "[-s] Seed kmers scoring method. The default is MAP score and if specified the surprise score will be "
    "used.",
    "[-p integer] number of threads to use (default: all available processors).",
    "[-noside] if specified then initcore.txt and initcluster.txt are not written.",
    "[-maxlen integer] longest sequence accepted, in letters (default 4999).",
};

// The report is named after the input: its text before the first '.', + ".out".
std::string derivedOutputName(const std::string& inFile) { return inFile.substr(0, inFile.find('.')) + ".out"; }

// One option: its word, whether the next word is its value, and how it is
// stored. The stores that stop the run at once throw.
struct OptionSpec {
  const char* name;
  bool takesValue;
  void (*store)(CommandLine& cl, const char* value, const char* prog);
};

const OptionSpec kOptions[] = {
    {"-f", true,
     [](CommandLine& cl, const char* v, const char*) {
       cl.config.inFile = v;
       cl.config.outFile = derivedOutputName(cl.config.inFile);
       cl.given.inFile = true;
     }},
    {"-l", true,
     [](CommandLine& cl, const char* v, const char*) {
       cl.config.K = readInt(v);
       if (cl.config.K < MIN_MOTIF_LEN || cl.config.K > MAX_MOTIF_LEN)
         throw FatalError("Error: Allowed motif length is between 6 to 20.\n");
       cl.given.K = true;
     }},
    {"-m", true, [](CommandLine& cl, const char* v, const char*) { cl.config.maxMismatch = readInt(v); }},
    {"-s", false, [](CommandLine& cl, const char*, const char*) { cl.config.scoring_method = 1; }},
    {"-b", true,
     [](CommandLine& cl, const char* v, const char*) {
       cl.config.bgModelFile = v;
       cl.given.bgModelFile = true;
     }},
    {"-n", true, [](CommandLine& cl, const char* v, const char*) { cl.config.numTopMotifs = readInt(v); }},
    {"-thr", true, [](CommandLine& cl, const char* v, const char*) { cl.config.scanThreshold = readReal(v); }},
    {"-r", false, [](CommandLine& cl, const char*, const char*) { cl.config.forwardOnly = true; }},
    {"-h", false, [](CommandLine&, const char*, const char* prog) -> void { throw FatalError(usageText(prog)); }},
    {"-o", true, [](CommandLine& cl, const char* v, const char*) { cl.config.outFile = std::string(v); }},
    {"-i", true, [](CommandLine& cl, const char* v, const char*) { cl.config.numSeedSeqs = readInt(v); }},
    {"-c", true, [](CommandLine& cl, const char* v, const char*) { cl.config.MIN_COMPLEXITY = readReal(v); }},
    {"-v", true, [](CommandLine& cl, const char* v, const char*) { cl.config.numClusters = readInt(v); }},
    {"-k", true, [](CommandLine& cl, const char* v, const char*) { cl.config.initMethod = readInt(v); }},
    {"-z", true,
     [](CommandLine& cl, const char* v, const char*) {
       cl.config.fgModelFile = v;
       cl.given.fgModelFile = true;
     }},
    {"-any", false, [](CommandLine&, const char*, const char*) {}},  // accepted; changes nothing
    {"-p", true, [](CommandLine& cl, const char* v, const char*) { cl.config.numThreads = readInt(v); }},
    {"-j", false, [](CommandLine& cl, const char*, const char*) { cl.config.selectByScore = true; }},
    {"-noside", false,
     [](CommandLine& cl, const char*, const char*) {
       cl.config.initCoreFile.reset();
       cl.config.initClusterFile.reset();
     }},
    {"-maxlen", true, [](CommandLine& cl, const char* v, const char*) { cl.config.maxRecordLength = readInt(v); }},
};

const OptionSpec* findOption(const std::string& word) {
  for (const OptionSpec& spec : kOptions)
    if (word == spec.name) return &spec;
  return nullptr;
}

}  // namespace

int readInt(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);  // saturates to the long long range
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double readReal(const char* text) { return std::strtod(text, nullptr); }

void opening(const ProgressSink& progress) { progress.print("ZELKOVA VERSION 1.0%s\n", kCredit); }

std::string usageText(const char* prog) {
  std::string text = std::string("\nZELKOVA version 1.0") + kCredit + "\n";
  text += std::string("\nUsage: ") + prog + " -x [value]\n" + "\n";
  for (const char* line : kUsageLines) text += std::string(line) + "\n";
  return text;
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine cl;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    const OptionSpec* spec = findOption(word);
    if (!spec) throw FatalError("Invalid option " + word + "\n");
    if (spec->takesValue && i + 1 >= argc) throw FatalError("Missing value for option " + word + "\n");
    spec->store(cl, spec->takesValue ? argv[++i] : nullptr, argv[0]);
  }
  for (int i = 0; i < argc; ++i) cl.config.cmdLine += std::string(" ") + argv[i];
  return cl;
}
