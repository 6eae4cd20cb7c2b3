#pragma once

#include <string>

namespace helvanta {

// The command line the service control manager starts the service with: the quoted
// executable, and the switch that selects service mode.
std::string ServiceCommandLine(const std::string& executable);

// The registry key (under HKEY_LOCAL_MACHINE) that names the executable as the message
// file of the event source HelvantaService, so that Event Viewer shows the texts.
inline constexpr const char* kEventSourceKey =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\HelvantaService";
// Error, warning and information.
inline constexpr unsigned long kEventTypesSupported = 7;

}  // namespace helvanta
