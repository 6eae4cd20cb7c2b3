#pragma once

namespace helvanta::testing {

// Root passes every permission check, so a test of a refused access cannot play it.
// Windows has no such account: the read-only attribute binds administrators too.
bool RunningAsRoot();

}  // namespace helvanta::testing
