// The rows of the known-motif table (formats/known_table.h) made from the
// results of a known-motif enrichment, and the whole table written from them.
#pragma once

#include <string>
#include <vector>

#include "formats/known_table.h"
#include "stats/known_enrichment.h"

namespace stats {

formats::KnownRow rowOf(const stats::KnownResult& result);

// kHeader and the line of every result, in their order.
std::string knownTable(const std::vector<stats::KnownResult>& results);
// kCentralHeader and the line of every result with its central columns, one
// per result.
std::string knownTable(const std::vector<stats::KnownResult>& results,
                       const std::vector<formats::CentralColumns>& central);

}  // namespace stats
