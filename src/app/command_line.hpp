#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "service/service_host.hpp"

namespace helvanta {

// True when a parameter is the switch: its first character is '-' or '/' and the rest
// equals the word without regard to letter case. Position does not matter.
bool FindCmdLineSwitch(const std::vector<std::string>& parameters, std::string_view word);

// Service mode is the "service" switch; the other three count only with it.
bool ServiceModeRequested(const std::vector<std::string>& parameters);
TServiceSwitches ServiceSwitches(const std::vector<std::string>& parameters);

}  // namespace helvanta
