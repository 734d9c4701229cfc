// What the records of an input hold that the user should hear of before the
// results: names given twice, names cut at the longest length kept, records
// without a single A, C, G or T (left out, so that no total counts them); and
// the refusal of a primary set too small for discovery.
#pragma once

#include <string>
#include <vector>

#include "discover/inputs/sequences.h"

namespace discover {

// The longest record name kept; longer headers are cut there when read.
std::size_t longestName();

// Leaves out of `file` the records that hold no A, C, G or T (with their
// trim and length) and returns one warning line for each kind of finding,
// "Warning: PATH: ...", without a line end; none when all is well.
std::vector<std::string> checkRecords(SequenceFile& file, const std::string& path);

// Throws FatalError when fewer than 2 records of `records` (read from `path`)
// hold `shortestLength` letters of A, C, G and T in a row, the least a motif
// of the shortest length searched needs: motif discovery compares sequences.
void requireSeveralSequences(const std::vector<FastaRecord>& records, int shortestLength, const std::string& path);

}  // namespace discover
