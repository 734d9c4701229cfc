// The known motifs a motif resembles, on the HTML page: per motif section a
// table of its matches from zelkova-compare and, for each, the motif's logo
// with the target's logo under it, shifted by the offset of the match and
// reverse-complemented when the match is on the other strand.
#pragma once

#include <iosfwd>
#include <vector>

#include "formats/match_table.h"
#include "formats/motif.h"
#include "formats/report_reader.h"
#include "pages/report_page.h"

namespace pages {

// Checks that every row belongs to a motif of `report` (same identifier and
// consensus) and names a target of `targets`, and returns the addition that
// writes the matches into the page. Throws ReadError naming the line
// of the table (in `source`) that does not fit.
// The motif's logo over the logo of the known motif `target` of `match`, on a
// common column grid: the target shifted by the match's offset, and drawn as
// its reverse complement for a match on the other strand.
void writeAlignedLogos(std::ostream& out, const formats::ReportMotif& motif, const formats::MatchRow& match,
                       const formats::Motif& target);

PageAddition matchesAddition(const std::vector<formats::MatchRow>& rows, const std::string& source,
                             const formats::Report& report, const std::vector<formats::Motif>& targets);

}  // namespace pages
