// The known-motif enrichment on a page: the best rows of a known-motif table
// (known.tsv, zelkova-enrich --db) with each motif's logo and name, the shares
// of primary and control sequences with a site, E and q, the discovered motif
// it re-finds when it does, and a link to the whole table.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "formats/known_table.h"
#include "formats/motif.h"

namespace pages {

extern const char* const kKnownStyle;

// Known motifs shown on a page at most; the table holds all.
constexpr std::size_t kKnownShown = 25;

// The database motif of every row, in the rows' order. Throws
// ReadError naming `source` and the row's line when a row names a
// motif the database does not hold.
std::vector<const formats::Motif*> knownMotifsOfRows(const std::vector<formats::KnownRow>& rows,
                                                     const std::vector<formats::Motif>& database,
                                                     const std::string& source);

struct KnownSection {
  std::string tableLink;        // where the whole table is, as a link target
  std::string tested;           // what was tested against what, a sentence of HTML
  bool linkDiscovered = false;  // same_sites_as names a motif section of the page
};

// The section <section id="known">: the first kKnownShown rows, each with
// the logo of `motifs` (knownMotifsOfRows) at the same place.
void writeKnownSection(std::ostream& out, const std::vector<formats::KnownRow>& rows,
                       const std::vector<const formats::Motif*>& motifs, const KnownSection& section);

}  // namespace pages
