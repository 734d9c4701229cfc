// What the tables, the log and the page of a discovery say of the sites'
// p-values (site_pvalues.h) and of central enrichment (central.h).
#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "discover/report/result.h"
#include "formats/known_table.h"
#include "stats/central_enrichment.h"

namespace discover {

// Enriched known motifs whose histograms the page draws, at most, best first;
// the page's table and known.tsv give every one.
constexpr std::size_t kKnownHistogramsShown = 10;

// The central columns of summary.tsv and known.tsv: the corrected log10
// p-value of the most enriched central window (three decimals) and its width
// in start positions; NA in both without a result.
formats::CentralColumns centralColumns(const std::optional<stats::CentralResult>& result);

// The central columns of every known motif tested, in the order of d.known.
std::vector<formats::CentralColumns> knownCentralColumns(const Discovery& d);

// The verdict's sentence when the best motif's sites are central
// (CentralWindow::central()); empty otherwise.
std::string centralSentence(const Discovery& d);

// The lines of log.txt: the background of the site p-values, the rule for
// overlapping sites, and central enrichment (on what, or why it was not
// tested) with the result of every reported motif.
void writeSiteLog(std::ostream& out, const Discovery& d);

// The part of the section of reported motif `motif` (its index): the
// histogram of its best sites by position, or why there is none.
void writeCentralFigure(std::ostream& out, const Discovery& d, std::size_t motif);

// The page's section "Where the sites lie": the central enrichment of every
// reported and every enriched known motif as a table, with the histograms of
// the best kKnownHistogramsShown known ones.
void writeCentralSection(std::ostream& out, const Discovery& d);

}  // namespace discover
