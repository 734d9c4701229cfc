// The command line's run of zelkova.
#pragma once

// Prints the banner, reads the options, runs the search, prints the message
// of any stop; returns the exit status (0 after a complete run, 1 after a stop).
int runZelkova(int argc, const char* const* argv);
