// The command line of zelkova: its option table, the banner and the usage text.
#pragma once

#include <string>

#include "engine/run_config.h"

class ProgressSink;

// Writes the opening banner.
void opening(const ProgressSink& progress);
// The usage text for program name `prog`.
std::string usageText(const char* prog);

// Reads the command line into a configuration as given (resolveRunConfig
// checks and completes it) and says which required options it named. Throws
// FatalError, with the text to print, for the stops that act at once: a motif
// length outside 6 to 20, -h, an unknown word, an option without its value.
struct CommandLine {
  RunConfig config;
  RequiredInputs given;
};
CommandLine parseCommandLine(int argc, const char* const* argv);

// Number reading as the C library's atoi/atof does it, except that an integer
// beyond the range of int saturates to the nearest end.
int readInt(const char* text);
double readReal(const char* text);
