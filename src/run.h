// One complete motif search, from the command line to the report.
#pragma once

#include "options.h"

// Runs the search with validated parameters; returns the exit status.
int runMotifSearch(const RunParameters& params);

// Parses the command line and runs; prints the message of any stop and returns
// the exit status (0 after a complete run, 1 after a stop).
int runZelkova(int argc, const char* const* argv);
