// The date and time the programs record in their logs and pages.
#pragma once

#include <string>

// The current local date and time, "YYYY-MM-DD HH:MM:SS ZONE".
std::string localDateTime();

// The current local date and time as a search report gives it: asctime's
// text without its line end, "Thu Dec 10 08:54:30 2026".
std::string localReportDate();
