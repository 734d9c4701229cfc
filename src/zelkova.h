// ZELKOVA as a library: everything a program needs to load inputs, configure
// and run motif searches, and read the motifs found. This is the one header a
// user of the library includes.
//
// A search in four steps:
//
//   std::vector<FastaRecord> peaks = readFastaFile("peaks.fa");
//   SearchInput input;
//   input.sequences = peaks;
//   input.foreground = buildMarkovModel(peaks, 7);        // the input itself
//   input.background = readMarkovModelFile("genome.txt");  // or built likewise
//   RunConfig config;
//   config.K = 12;                                         // motif length
//   config.initCoreFile.reset();                           // no side files
//   config.initClusterFile.reset();
//   formats::Report found = runMotifSearch(config, std::move(input), ProgressSink::silent());
//   for (const formats::ReportMotif& m : found.motifs) std::cout << m.consensus << '\n';
//
// Searches are independent: several may run at the same time on different
// threads of one process, each with its own configuration. A search uses
// config.numThreads threads itself (every processor by default) and its
// results do not depend on that number.
//
// Errors: every function here throws FatalError (errors.h) for input it
// refuses; what() is the complete message, line ends included, as the
// zelkova command prints it.
#pragma once

#include <string>
#include <vector>

#include "base/errors.h"          // FatalError
#include "engine/markov_model.h"  // MarkovModel: probabilities of every word of 1..order+1 letters
#include "engine/progress.h"      // ProgressSink: where progress messages go
#include "engine/run_config.h"    // RunConfig: every parameter of a search
#include "formats/fasta.h"        // FastaRecord: name (header after '>') and letters (upper case)
#include "formats/report_data.h"  // formats::Report, formats::ReportParameters, formats::ReportMotif, formats::ReportSite

// ---- inputs -----------------------------------------------------------------

// Every record of a FASTA file, plain or gzip-compressed, read with zelkova's
// rules: headers after '>' (cut at 299 characters), letters in upper case,
// white space skipped. Throws
// FatalError for a file that cannot be read or that holds a NUL byte in a
// sequence. Record lengths are not limited here; a search refuses records
// longer than config.maxRecordLength (4999 letters by default). With
// LowerCase::AsN, lower-case (soft-masked) letters become N.
std::vector<FastaRecord> readFastaFile(const std::string& path, LowerCase lowerCase = LowerCase::AsUpper);

// The Markov model zelkova-markov would write for these records and read back:
// order 0 to 7 (words of 1 to order + 1 letters), a pseudo-count above 0
// added to every count, both strands counted unless bothStrands is false.
// Throws FatalError when the records hold no A, C, G or T, or when the
// pseudo-count is so small that a probability would be 0.
MarkovModel buildMarkovModel(const std::vector<FastaRecord>& records, int order = 7, double pseudoCount = 1.0,
                             bool bothStrands = true);

// A model file as zelkova reads it (-b, -z); throws FatalError naming the file
// and line of the first entry that is malformed.
MarkovModel readMarkovModelFile(const std::string& path);

// The inputs of a search held in memory.
struct SearchInput {
  std::string name = "the input";      // names the sequences in messages
  std::vector<FastaRecord> sequences;  // at most config.maxRecordLength letters each
  MarkovModel background;              // its order is the order both models are read at
  MarkovModel foreground;              // of at least the background's order
};

// ---- searching ----------------------------------------------------------------

// Runs one search and returns its parameters and its motifs, best first
// (formats::Report; each motif with rank, MAP score, complexity, relative
// entropy, consensus words, count matrix and sites, every site with its
// sequence index and name, 1-based forward position, strand, word and score).
//
// The configuration is completed and checked by resolveRunConfig first, so
// it is refused with the messages of the command line (motif length outside
// 6 to 20, -n or -i below 1, ...). Files the configuration names as outputs
// are written as the command line writes them: config.outFile (the report;
// unset by default here), config.initCoreFile and config.initClusterFile
// ("initcore.txt" and "initcluster.txt" in the working directory unless
// reset). Progress messages go to `progress` (standard output by default).
// An output that is one of the three input files (by device and inode) is
// refused with FatalError before anything is read; a report that cannot be
// written whole throws WriteError (a FatalError).
//
// This form reads the three files config.inFile, config.bgModelFile and
// config.fgModelFile; the other takes the inputs from memory.
formats::Report runMotifSearch(const RunConfig& config, const ProgressSink& progress = ProgressSink());
formats::Report runMotifSearch(const RunConfig& config, SearchInput input,
                               const ProgressSink& progress = ProgressSink());
