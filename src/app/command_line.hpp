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

// The "mqtt-forget" switch: take the sensors out of Home Assistant and end.
bool MqttForgetRequested(const std::vector<std::string>& parameters);

// --help (or -h) and --version answer before any mode is chosen; the first one given counts.
enum class TInfoRequest { none, help, version };
TInfoRequest InfoRequested(const std::vector<std::string>& parameters);

// "-import FILE...": every parameter after the switch is a CSV file to import, also one
// that starts with '/' (an absolute path).
bool ImportRequested(const std::vector<std::string>& parameters);
std::vector<std::string> ImportFiles(const std::vector<std::string>& parameters);

// The switches (parameters starting with '-' or '/') that the program does not know, in
// their order, up to "-import"; they are ignored after a warning.
std::vector<std::string> UnknownSwitches(const std::vector<std::string>& parameters);

}  // namespace helvanta
