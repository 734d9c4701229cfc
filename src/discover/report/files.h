// The files zelkova-discover writes: their names, and the results as text.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "discover/search/plan.h"
#include "discover/report/result.h"

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

// The results as (name, text), in the order they are put in place: with
// --peaks the windows cut from the genome (peaks.fa, and background.fa and
// background.bed with a control cut from it), the motif files, the site
// tables (sites.bed only when every header names a genome
// region), known.tsv (unless --no-known), the log, summary.tsv and last
// index.html.
std::vector<std::pair<std::string, std::string>> resultFiles(const Discovery& discovery);

}  // namespace discover
