// zelkova-discover's command line read as the program reads it, for the
// tests of its options.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/companion_parser.h"
#include "discover/setup/options.h"

namespace testing_support {

inline std::optional<discover::Options> parseDiscover(std::vector<const char*> argv) {
  argv.insert(argv.begin(), "zelkova-discover");
  return discover::parseArguments(static_cast<int>(argv.size()), argv.data());
}

// The usage error the arguments are refused with, or "accepted".
inline std::string discoverRefusal(std::vector<const char*> argv) {
  try {
    parseDiscover(std::move(argv));
  } catch (const UsageError& e) {
    return e.what();
  }
  return "accepted";
}

}  // namespace testing_support
