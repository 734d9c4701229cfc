// The enrichment table and site list (formats/enrichment_table.h) made from
// the results of an enrichment test, and written.
#pragma once

#include <iosfwd>
#include <vector>

#include "formats/enrichment_table.h"
#include "stats/enrichment.h"

namespace enrichment_table {

// The line of one result, its fields as writeTable writes them.
Row rowOf(const enrichment::MotifResult& result);

void writeTable(std::ostream& out, const std::vector<enrichment::MotifResult>& results);

// Every site of every result; `primary` and `control` are the sets the results
// were computed on, for the sequence names.
void writeSites(std::ostream& out, const std::vector<enrichment::MotifResult>& results,
                const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control);

}  // namespace enrichment_table
