// One complete motif search, from a configuration to its motifs, and the
// command line's run.
#pragma once

#include "markov_model.h"
#include "progress.h"
#include "report_data.h"
#include "run_config.h"
#include "fasta.h"

// The inputs of a search held in memory instead of files.
struct SearchInput {
  std::string name = "the input";        // names the sequences in messages
  std::vector<FastaRecord> sequences;    // as the FASTA reader gives them
  MarkovModel background;
  MarkovModel foreground;
};

// Runs a search on the files the configuration names and returns what it found.
report::Report runMotifSearch(const RunConfig& config, const ProgressSink& progress = ProgressSink());
// Runs a search on inputs held in memory (the configuration's input names are
// not read).
report::Report runMotifSearch(const RunConfig& config, SearchInput input,
                              const ProgressSink& progress = ProgressSink());

// The command line: prints the banner, reads the options, runs, prints the
// message of any stop; returns the exit status (0 after a complete run, 1
// after a stop).
int runZelkova(int argc, const char* const* argv);
