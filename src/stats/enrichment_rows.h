// The enrichment table and site list (formats/enrichment_table.h) made from
// the results of an enrichment test, and written.
#pragma once

#include <iosfwd>
#include <vector>

#include "formats/enrichment_table.h"
#include "stats/enrichment.h"

namespace stats {

// The line of one result, its fields as writeTable writes them.
formats::EnrichmentRow rowOf(const stats::MotifResult& result);

void writeEnrichmentTable(std::ostream& out, const std::vector<stats::MotifResult>& results);

// Every site of every result; `primary` and `control` are the sets the results
// were computed on, for the sequence names.
void writeEnrichmentSites(std::ostream& out, const std::vector<stats::MotifResult>& results,
                          const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control);

}  // namespace stats
