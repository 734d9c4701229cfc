// Genome coordinates in FASTA headers: "chrom:start-end", as bedtools getfasta
// names the regions it cuts (BED coordinates: start 0-based, end exclusive).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/fasta.h"

namespace discover {

struct GenomeRegion {
  std::string chrom;
  long long start = 0;  // 0-based
  long long end = 0;    // exclusive
};

// The region a header names: the whole header is CHROM:START-END, CHROM
// non-empty and without blanks (it may hold ':'; the last one counts), START
// and END whole numbers with START < END. Nothing otherwise.
std::optional<GenomeRegion> regionOfHeader(const std::string& header);

// The region of every record's header when every header names one whose
// length is the record's length as given (givenLengths, one per record);
// nothing when any does not.
std::optional<std::vector<GenomeRegion>> regionsOfRecords(const std::vector<FastaRecord>& records,
                                                          const std::vector<long long>& givenLengths);

}  // namespace discover
