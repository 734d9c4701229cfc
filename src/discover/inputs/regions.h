// Genome coordinates in FASTA headers, as bedtools getfasta names the regions
// it cuts (BED coordinates: start 0-based, end exclusive): "chrom:start-end",
// "chrom:start-end(+)" or "(-)" with -s (a "-" record is the reverse
// complement of its region), and "name::chrom:start-end" with -name.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/fasta.h"
#include "stats/genome_intervals.h"

namespace discover {

// The region a header names (its strand '-' when the record reads the
// region's reverse strand): optionally "NAME::" (up to the last "::"), then
// CHROM:START-END with CHROM non-empty and without blanks (it may hold ':';
// the last one counts), START and END whole numbers with START < END, then
// optionally "(+)", "(-)" or "(.)" (the region's strand; '.' without one).
// Nothing otherwise. stats::regionName writes such headers.
std::optional<stats::Interval> regionOfHeader(const std::string& header);

// The regions of all records, or why there are none.
struct HeaderRegions {
  std::optional<std::vector<stats::Interval>> regions;
  std::string whyNot;  // when regions is unset: "record 3 (peak17): ..."
};

// The region of every record's header when every header names one whose
// length is the record's length as given (givenLengths, one per record);
// otherwise why not, naming the first record that does not.
HeaderRegions regionsOfRecords(const std::vector<FastaRecord>& records, const std::vector<long long>& givenLengths);

// Where `width` letters from `start` (1-based, on the record as given) of a
// record of `region` lie in the genome, with the strand ('+' or '-') a site
// read `forward` on the record is on.
stats::Interval genomeStretch(const stats::Interval& region, long long start, long long width, bool forward);

}  // namespace discover
