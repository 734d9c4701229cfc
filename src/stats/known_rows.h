// The rows of the known-motif table (formats/known_table.h) made from the
// results of a known-motif enrichment, and the whole table written from them.
#pragma once

#include <string>
#include <vector>

#include "formats/known_table.h"
#include "stats/known_enrichment.h"

namespace known_table {

Row rowOf(const known::KnownResult& result);

// kHeader and the line of every result, in their order.
std::string table(const std::vector<known::KnownResult>& results);
// kCentralHeader and the line of every result with its central columns, one
// per result.
std::string table(const std::vector<known::KnownResult>& results, const std::vector<CentralColumns>& central);

}  // namespace known_table
