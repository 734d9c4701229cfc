// The tables of motif sites zelkova-scan writes, in three layouts:
//   tsv   a header line, then one line per site with the columns
//         motif_id motif_alt_id sequence start end strand score p q
//         matched_sequence; start and end 1-based and inclusive, in the
//         sequence (the layout of the field's scanners)
//   bed   BED6: chromosome, 0-based start, end, motif_id, a score of 0 to
//         1000 (100 per order of magnitude of p: -100 log10 p, capped) and the
//         strand; on the genome when the site's place there is known, else
//         in the sequence
//   gff3  "##gff-version 3", then one TF_binding_site feature per site,
//         placed like bed, with ID, Name (motif_id), Alias (motif_alt_id),
//         pvalue, qvalue and sequence attributes
// Scores are in bits with two decimals; p and q with two significant digits.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace formats {

enum class Layout { Tsv, Bed, Gff3 };

// Where a site lies on a genome: 0-based start, exclusive end.
struct GenomePlace {
  std::string chrom;
  long long start = 0;
  long long end = 0;
  char strand = '+';
};

struct SiteRow {
  std::string motifId;
  std::string motifAlt;  // may be empty
  std::string sequence;
  long long start = 0;  // 0-based in the sequence
  long long end = 0;    // exclusive
  char strand = '+';
  double score = 0;  // bits
  double p = 1;
  double q = 1;
  std::string matched;  // the site's letters, read on its strand
  std::optional<GenomePlace> place;
};

// What comes before the rows: the tsv header line, the gff3 version line,
// nothing for bed.
std::string siteHeaderText(Layout layout);

// The lines of `rows` in order. `firstNumber` numbers the first row's gff3
// ID (ID=site_N), so that a table written in parts keeps its IDs unique.
std::string siteRowsText(Layout layout, const std::vector<SiteRow>& rows, long long firstNumber = 1);

}  // namespace formats
