// The page of one search under runs/: zelkova-export's page of its report,
// with at most kPageSitesShown sites listed per motif (the report holds all).
#pragma once

#include <string>

#include "discover/search/plan.h"
#include "formats/report_data.h"

namespace discover {

std::string searchPage(const Search& search, const formats::Report& report);

}  // namespace discover
