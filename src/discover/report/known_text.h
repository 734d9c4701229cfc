// What a discovery's outputs say of the known motifs tested
// (discover/naming/known.h): known.tsv, the lines of the log and the page's
// section.
#pragma once

#include <iosfwd>
#include <string>

#include "discover/report/result.h"

namespace discover {

// known.tsv.
std::string knownTable(const Discovery& d);

// The known motifs in log.txt: how many were tested and are enriched, and the
// best of them, one line each.
void writeKnownLog(std::ostream& out, const Discovery& d);

// The page's section of known motifs, and its style rules.
void writeKnownSection(std::ostream& out, const Discovery& d);
const char* knownSectionStyle();

}  // namespace discover
