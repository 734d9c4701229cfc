#include "options.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lmer.h"
#include "parallel.h"

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
};

const char* const kMissingRequired[] = {
    "\n-f option. Input sequence file name is not specified.",
    "\n-l option. Motif length is not specified [6-20]",
    "\n7-order markov chain model for background sequences is required.",
    "\n7-order markov chain model for input sequences is required.",
};

// The report is named after the input: its text before the first '.', + ".out".
std::string derivedOutputName(const std::string& inFile) {
  return inFile.substr(0, inFile.find('.')) + ".out";
}

void resetGlobals() {
  K = 0;
  MIN_COMPLEXITY = 0.15;
  forwardOnly = false;
  scoring_method = 2;
  numThreads = availableProcessors();
}

}  // namespace

int readInt(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);  // saturates to the long long range
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double readReal(const char* text) { return std::strtod(text, nullptr); }

void opening() { std::printf("ZELKOVA VERSION 1.0%s\n", kCredit); }

std::string usageText(const char* prog) {
  std::string text = std::string("\nZELKOVA version 1.0") + kCredit + "\n";
  text += std::string("\nUsage: ") + prog + " -x [value]\n" + "\n";
  for (const char* line : kUsageLines) text += std::string(line) + "\n";
  return text;
}

RunParameters parseCommandLine(int argc, const char* const* argv) {
  resetGlobals();
  RunParameters p;
  char requiredSeen[] = "0000";
  bool seedCountGiven = false;
  opening();
  for (int i = 1; i < argc; ++i) {
    const std::string opt = argv[i];
    const bool takesValue = opt == "-f" || opt == "-l" || opt == "-m" || opt == "-b" || opt == "-n" ||
                            opt == "-thr" || opt == "-o" || opt == "-i" || opt == "-c" || opt == "-v" ||
                            opt == "-k" || opt == "-z" || opt == "-p";
    if (takesValue && i + 1 >= argc) throw FatalError("Missing value for option " + opt + "\n");
    const char* value = takesValue ? argv[++i] : nullptr;
    if (opt == "-f") {
      p.inFile = value;
      p.outFile = derivedOutputName(p.inFile);
      requiredSeen[0] = '1';
    } else if (opt == "-l") {
      K = readInt(value);
      if (K < MIN_MOTIF_LEN || K > MAX_MOTIF_LEN)
        throw FatalError("Error: Allowed motif length is between 6 to 20.\n");
      requiredSeen[1] = '1';
    } else if (opt == "-m") {
      p.maxMismatch = readInt(value);
    } else if (opt == "-s") {
      scoring_method = 1;
    } else if (opt == "-b") {
      p.bgModelFile = value;
      requiredSeen[2] = '1';
    } else if (opt == "-n") {
      p.numTopMotifs = readInt(value);
    } else if (opt == "-thr") {
      // NaN, infinities and values beyond the float range cannot be narrowed.
      const double t = readReal(value);
      p.scanThreshold = std::fabs(t) <= FLT_MAX ? static_cast<float>(t) : 0.75f;
      if (!(p.scanThreshold >= 0.7 && p.scanThreshold <= 1.0)) p.scanThreshold = 0.75f;
    } else if (opt == "-r") {
      forwardOnly = true;
    } else if (opt == "-h") {
      throw FatalError(usageText(argv[0]));
    } else if (opt == "-o") {
      p.outFile = value;
    } else if (opt == "-i") {
      p.numSeedSeqs = readInt(value);
      seedCountGiven = true;
    } else if (opt == "-c") {
      const double c = readReal(value);
      MIN_COMPLEXITY = std::isnan(c) ? 0.15 : c < 0 ? 0.0 : c > 10.0 ? 10.0 : c;
    } else if (opt == "-v") {
      const int v = readInt(value);
      p.numClusters = v < 10 ? 10 : v > 100 ? 100 : v;
    } else if (opt == "-k") {
      p.initMethod = readInt(value);
    } else if (opt == "-z") {
      p.fgModelFile = value;
      requiredSeen[3] = '1';
    } else if (opt == "-any") {
      p.anySites = 1;
    } else if (opt == "-p") {
      numThreads = readInt(value);
    } else if (opt == "-j") {
      p.selectByScore = true;
    } else {
      throw FatalError("Invalid option " + opt + "\n");
    }
  }

  if (p.maxMismatch != -1 && (p.maxMismatch >= K || p.maxMismatch < 0)) {
    std::printf("Warning!!!\n");
    std::printf("Invalid mismatch value (-m option). Valid values are (0,%d).\n", K);
    std::printf("Default mismatch value is used.\n");
    p.maxMismatch = -1;
  }
  if (p.numTopMotifs < 1) throw FatalError("Error: number of motifs (-n) must be at least 1.\n");
  if (seedCountGiven && p.numSeedSeqs < 1)
    throw FatalError("Error: number of seed sequences (-i) must be at least 1.\n");
  if (numThreads < 1) throw FatalError("Error: number of threads (-p) must be at least 1.\n");

  std::string missing;
  for (int pos = 0; pos < 4; ++pos)
    if (requiredSeen[pos] == '0') missing += std::string(kMissingRequired[pos]) + "\n";
  if (!missing.empty()) throw FatalError(missing);

  for (int i = 0; i < argc; ++i) p.cmdLine += std::string(" ") + argv[i];
  return p;
}
