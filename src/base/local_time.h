// The date and time the programs record in their logs and pages.
#pragma once

#include <string>

// The current local date and time, "YYYY-MM-DD HH:MM:SS ZONE".
std::string localDateTime();
