#include <unistd.h>

#include "support/running_as_root.hpp"

namespace helvanta::testing {

bool RunningAsRoot() { return ::geteuid() == 0; }

}  // namespace helvanta::testing
