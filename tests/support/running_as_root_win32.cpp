#include "support/running_as_root.hpp"

namespace helvanta::testing {

bool RunningAsRoot() { return false; }

}  // namespace helvanta::testing
