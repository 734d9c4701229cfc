// The files of a discovery on peaks and a genome that hold what was cut from
// the genome (discover/inputs/genome_input.h): the peak windows and the
// control.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "discover/inputs/genome_input.h"

namespace discover {

// peaks.fa and, with a control from the genome, background.fa and
// background.bed, as (name, text): one line of letters per record, named as
// bedtools getfasta names its regions.
std::vector<std::pair<std::string, std::string>> genomeRunFiles(const GenomeRun& run);

}  // namespace discover
