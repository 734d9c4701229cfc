// Genome coordinates in FASTA headers, as bedtools getfasta names the regions
// it cuts (BED coordinates: start 0-based, end exclusive): "chrom:start-end",
// "chrom:start-end(+)" or "(-)" with -s (a "-" record is the reverse
// complement of its region), and "name::chrom:start-end" with -name.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/fasta.h"

namespace discover {

struct GenomeRegion {
  std::string chrom;
  long long start = 0;   // 0-based
  long long end = 0;     // exclusive
  bool reverse = false;  // the record reads the region's reverse strand
};

// The region a header names: optionally "NAME::" (up to the last "::"), then
// CHROM:START-END with CHROM non-empty and without blanks (it may hold ':';
// the last one counts), START and END whole numbers with START < END, then
// optionally "(+)", "(-)" or "(.)". Nothing otherwise.
std::optional<GenomeRegion> regionOfHeader(const std::string& header);

// The regions of all records, or why there are none.
struct HeaderRegions {
  std::optional<std::vector<GenomeRegion>> regions;
  std::string whyNot;  // when regions is unset: "record 3 (peak17): ..."
};

// The region of every record's header when every header names one whose
// length is the record's length as given (givenLengths, one per record);
// otherwise why not, naming the first record that does not.
HeaderRegions regionsOfRecords(const std::vector<FastaRecord>& records, const std::vector<long long>& givenLengths);

// A stretch of the genome in BED terms.
struct GenomeStretch {
  long long start = 0;  // 0-based
  long long end = 0;    // exclusive
  char strand = '+';
};

// Where `width` letters from `start` (1-based, on the record as given) of a
// record of `region` lie in the genome, on the strand a site read `forward`
// on the record is on.
GenomeStretch genomeStretch(const GenomeRegion& region, long long start, long long width, bool forward);

}  // namespace discover
