#pragma once

#include <optional>
#include <string_view>

namespace helvanta {

// The number of a port named "COMn" in any case, n written in 1 to 9 decimal digits and
// not 0 ("COM3", "com12", "COM01" are 3, 12 and 1; "COM0", "COM", "COM1x" are none).
std::optional<unsigned> ComPortNumber(std::string_view name);

}  // namespace helvanta
