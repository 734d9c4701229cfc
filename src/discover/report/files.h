// The results of zelkova-discover as text, file by file (their names are
// discover/report/file_names.h).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "discover/report/file_names.h"
#include "discover/report/result.h"

namespace discover {

// The results as (name, text), in the order they are put in place: with
// --peaks the windows cut from the genome (peaks.fa, and background.fa and
// background.bed with a control cut from it), the motif files, the site
// tables (sites.bed only when every header names a genome
// region), known.tsv (unless --no-known), the log, summary.tsv and last
// index.html.
std::vector<std::pair<std::string, std::string>> resultFiles(const Discovery& discovery);

}  // namespace discover
