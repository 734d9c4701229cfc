// log.txt: the exact settings of a discovery, its seeds, the program version,
// what each search did and the time of each step, for the methods section of
// a paper and for running it again.
#pragma once

#include <iosfwd>
#include <string>

#include "discover/report/result.h"

namespace discover {

std::string logText(const Discovery& discovery);

// The version of zelkova-discover that wrote a log, from its first line
// "zelkova-discover (ZELKOVA) VERSION". Throws ReadError naming
// `source` and the line when the log does not start so; a file that cannot
// be opened is a ReadError of line 0.
std::string logVersion(std::istream& in, const std::string& source);
std::string logVersionOfFile(const std::string& path);

// The control as a phrase: "FILE" or "2 dinucleotide-shuffled copies of each
// primary sequence (seed S)".
std::string controlDescription(const Discovery& discovery);

// What the decoy was made of, as a phrase: "2 sets of 18 sequences drawn from
// the shuffled copies of the primary sequences" or "... from the control
// FILE".
std::string decoyDescription(const Discovery& discovery);

// How low-complexity DNA was treated: "masked as N by DUST (window 64, level
// 20): 2.7 % of the primary letters, 1.0 % of the control letters" or "not
// masked (--no-dust)".
std::string lowComplexityDescription(const Discovery& discovery);

// Whether sites.bed was written, and why not: "written, in the genome
// coordinates of the headers" or "not written: record 3 (peak17) names no
// genome region chrom:start-end".
std::string siteBedDescription(const Discovery& discovery);

// A reported motif's test with the better motifs' sites masked: "log10 E
// -10.215 with the sites of the better motifs masked; 45 of 50 primary
// sequences keep a site".
std::string conditionalDescription(const ConditionalTest& test);

}  // namespace discover
