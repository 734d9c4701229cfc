// The sequence sets of a discovery: the primary sequences as read (masked and
// trimmed, with where each letter came from), the control, the sequences held
// out for testing, and the decoy sets of shuffled DNA.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/fasta.h"

namespace discover {

// The records of a FASTA file as the searches read them, and for every record
// the letters cut from its start by trimming and its length as given, so that
// positions can be told on the sequence as given.
struct SequenceFile {
  std::vector<FastaRecord> records;
  std::vector<long long> trimmedOff;  // letters cut before the kept ones
  std::vector<long long> givenLength;
  std::uint64_t iupacLetters = 0;  // read as N
};

// Reads `path` (plain or gzip; "-": standard input) by the companions' DNA
// rules, with lower-case letters turned into N when `maskLowercase` and at
// most `maxLetters` letters per record and in all, and keeps the central
// `trim` letters of each longer record (0: whole records). Throws FatalError
// for a file that cannot be read, that holds a letter that is not DNA, that
// holds no record, or none of whose records holds an A, C, G or T.
SequenceFile readSequenceFile(const std::string& path, int trim, bool maskLowercase, std::uint64_t maxLetters);

// The central `trim` letters of `letters` (all of them when there are fewer);
// `cut` receives the number of letters cut from the start.
std::string centralLetters(const std::string& letters, int trim, long long& cut);

// Whether any record holds an A, C, G or T.
bool holdsBases(const std::vector<FastaRecord>& records);

// Windows of `length` letters of A, C, G and T only, over every record.
long long usableWindows(const std::vector<FastaRecord>& records, int length);

// Every k-th record of `records` (the first always kept), k the smallest step
// that keeps them within `maxLetters` letters; all of them when they are.
std::size_t thinningStep(const std::vector<FastaRecord>& records, std::size_t maxLetters);
std::vector<FastaRecord> thinnedToLetters(const std::vector<FastaRecord>& records, std::size_t maxLetters);
// Records 0, step, 2 step, ... of `records`.
std::vector<FastaRecord> everyKth(const std::vector<FastaRecord>& records, std::size_t step);

// The highest Markov order, up to `maxOrder`, at which the words of order + 1
// letters of `records`, counted on both strands, are seen at least
// `countsPerWord` times each on average. 0 when even single letters are not.
int supportedOrder(const std::vector<FastaRecord>& records, int maxOrder, double countsPerWord);

// Two parts of a set of sequences: those the motifs are searched in and those
// they are tested on. Without a holdout both are the whole set.
struct Split {
  std::vector<FastaRecord> search;
  std::vector<FastaRecord> test;
  std::size_t heldOut = 0;  // sequences in test and not in search
};

// Holds round(fraction x size) of `records`, chosen at random by `seed`, out of
// the search; they keep their order in both parts. Throws FatalError naming
// `what` when either part would be empty.
Split splitForHoldout(const std::vector<FastaRecord>& records, double fraction, std::uint64_t seed,
                      const std::string& what);

// `replicates` sets of shuffled DNA, each with `size` sequences: the control's
// sequences in turn (sequence i goes to set i mod replicates), each set cut
// evenly down to `size` when larger. With a shuffled control of c copies per
// primary sequence, set r then holds copy r + 1 of every primary sequence.
std::vector<std::vector<FastaRecord>> decoySets(const std::vector<FastaRecord>& control, std::size_t size,
                                                int replicates);

}  // namespace discover
