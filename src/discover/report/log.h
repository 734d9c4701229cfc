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

// A reported motif's test with the better motifs' sites masked: "log10 E
// -10.215 with the sites of the better motifs masked; 45 of 50 primary
// sequences keep a site".
std::string conditionalDescription(const ConditionalTest& test);

}  // namespace discover
