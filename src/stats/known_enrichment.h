// Which motifs of a database of known motifs are enriched in a set of
// sequences against a control set: every motif gets the enrichment test of
// the discovered motifs (threshold chosen per motif, p corrected for the
// choice), the E-value multiplies by the number of motifs of the database,
// and Benjamini-Hochberg q-values control the false discovery rate over them.
#pragma once

#include <string>
#include <vector>

#include "formats/fasta.h"
#include "formats/motif.h"
#include "stats/enrichment.h"

namespace stats {

// Known motifs with a q-value below this count as enriched: they are listed
// in logs and checked for re-finding a discovered motif.
constexpr double kEnrichedQ = 0.05;

struct KnownResult {
  int rank = 0;             // by p, from 1
  std::size_t index = 0;    // of the motif in the database
  std::string name;         // the database's name of the motif; may be empty
  stats::MotifResult test;  // test.motif.id is the database's identifier
  double log10Q = 0.0;
  std::string sameSitesAs;  // a discovered motif whose sites it mostly shares; empty when none
};

// log10 of Benjamini-Hochberg q-values of p-values given as log10, in the same
// order: q_i = min over the p-values ranked at or after p_i of p n / rank.
std::vector<double> log10BenjaminiHochberg(const std::vector<double>& log10P);

// Tests every motif of `database` on `primary` against `control` with
// `options` (its threshold, strands, threads, progress) and returns them best
// first: by corrected p, then in database order.
std::vector<KnownResult> testDatabase(const std::vector<formats::Motif>& database,
                                      const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control,
                                      const stats::EnrichmentOptions& options);

// How many of `results` have a q-value below kEnrichedQ.
std::size_t enrichedCount(const std::vector<KnownResult>& results);

}  // namespace stats
