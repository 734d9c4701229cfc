// The command line of zelkova: defaults, parsing and validation.
#pragma once

#include <string>

// Values of one run that are handed to the store and the engine. The four
// run-wide globals (K, MIN_COMPLEXITY, forwardOnly, scoring_method) are set by
// parseCommandLine too.
struct RunParameters {
  std::string inFile;
  std::string bgModelFile;
  std::string fgModelFile;
  std::string outFile;
  int maxMismatch = -1;   // -1: not given, the engine picks K/2
  int numSeedSeqs = -1;   // -1: not given, ceil(log2 N)
  int numTopMotifs = 10;
  float scanThreshold = 0.8f;
  int numClusters = 40;
  int initMethod = 1;
  bool selectByScore = false;
  int anySites = 0;       // accepted for compatibility; changes nothing
  std::string cmdLine;    // " " + each word of the command line
};

// Writes the opening banner.
void opening();
// The usage text for program name `prog`.
std::string usageText(const char* prog);

// Resets the globals, writes the banner and reads the command line. Throws
// FatalError (with the text to print) on every stop; warnings are printed here.
RunParameters parseCommandLine(int argc, const char* const* argv);

// Number reading as the C library's atoi/atof does it, except that an integer
// beyond the range of int saturates to the nearest end.
int readInt(const char* text);
double readReal(const char* text);
