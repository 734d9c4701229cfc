// log.txt: the exact settings of a discovery, its seeds, the program version,
// what each search did and the time of each step, for the methods section of
// a paper and for running it again.
#pragma once

#include <string>

#include "discover_result.h"

namespace discover {

std::string logText(const Discovery& discovery);

// The control as a phrase: "FILE" or "2 dinucleotide-shuffled copies of each
// primary sequence (seed S)".
std::string controlDescription(const Discovery& discovery);

}  // namespace discover
