// The names of the files zelkova-discover writes: the searches' reports and
// pages under runs/, and the results.
#pragma once

#include <string>
#include <vector>

#include "discover/search/plan.h"

namespace discover {

// "runs/NAME.out" and "runs/NAME.html": a search's report and its page.
std::string searchReportName(const Search& search);
std::string searchPageName(const Search& search);

// Every file the searches of `plan` write under runs/: reports, pages and,
// with `sideFiles`, the engine's side files.
std::vector<std::string> searchFileNames(const Plan& plan, bool sideFiles);

// The names of the results that may be written: peaks.fa, background.fa,
// background.bed, motifs.meme, motifs.jaspar, sites.tsv, sites.bed,
// known.tsv, log.txt, summary.tsv, index.html.
std::vector<std::string> resultFileNames();

}  // namespace discover
