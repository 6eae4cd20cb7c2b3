#pragma once

#include <unistd.h>

namespace helvanta::testing {

// Root passes every permission check, so a test of a refused access cannot play it.
inline bool RunningAsRoot() { return ::geteuid() == 0; }

}  // namespace helvanta::testing
