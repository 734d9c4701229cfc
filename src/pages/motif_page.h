// Motifs read from any motif file as one self-contained HTML page: per motif
// its name, where it was read, its logos of both strands and its matrix, with
// the enrichment zelkova-enrich found for it when a table is given; or, for a
// table of known-motif enrichment, the enriched motifs of the database with
// their logos. A zelkova report has a page of its own (report_page), with
// what only a report holds.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "formats/enrichment_table.h"
#include "formats/known_table.h"
#include "formats/motif.h"

namespace pages {

// The page of `motifs`, read from the files `names`, written by `program`.
// `enrichment` holds the row of each motif (nullptr: not tested), or is empty.
void writeMotifPage(std::ostream& out, const std::vector<formats::Motif>& motifs, const std::string& names,
                    const std::string& program, const std::vector<const formats::EnrichmentRow*>& enrichment = {});

// The page of a known-motif table `rows` (read from `tableName`) over the
// database `motifs`. Throws ReadError when a row names a motif the
// database does not hold.
void writeKnownPage(std::ostream& out, const std::vector<formats::KnownRow>& rows, const std::string& tableName,
                    const std::vector<formats::Motif>& motifs, const std::string& names, const std::string& program);

}  // namespace pages
