// The message of the FatalError an action throws, for the tests of refusals.
#pragma once

#include <functional>
#include <string>

#include "base/errors.h"

namespace testing_support {

// "(no error)" when the action throws nothing.
inline std::string fatalMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const FatalError& error) {
    return error.what();
  }
  return "(no error)";
}

}  // namespace testing_support
