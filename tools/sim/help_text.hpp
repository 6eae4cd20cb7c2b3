#pragma once

#include <string_view>

namespace helvanta::sim {

// What `helvanta-sim --help` prints.
std::string_view HelpText();

}  // namespace helvanta::sim
