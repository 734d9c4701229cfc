// The letters of a sequence set counted: how many, the frequencies of its
// bases on both strands, and the background of the site p-values.
#pragma once

#include <array>
#include <vector>

#include "formats/fasta.h"
#include "formats/report_data.h"
#include "stats/scoring_matrix.h"

namespace discover {

// The letters of every record.
long long letterCount(const std::vector<FastaRecord>& records);

// Frequencies of A, C, G, T over both strands; even when there are none.
std::array<double, formats::kReportBases> baseFrequencies(const std::vector<FastaRecord>& records);

// The background of the site p-values: the A, C, G and T of `records`.
// Requires at least one of them.
stats::Background siteBackground(const std::vector<FastaRecord>& records);

}  // namespace discover
