#pragma once

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "service/service_host.hpp"

namespace helvanta {

inline constexpr const char* kApplicationTitleText = "Helvanta 1.2 for Siemens SPN1000";

// The two hosts and the reports of an exception that escapes them; main passes the
// real ones, tests their own.
struct TProgramHosts {
  std::function<int()> runWindow;
  std::function<int(const TServiceSwitches&)> runService;
  // Window mode's report of an escaped exception (its error box, or standard error).
  std::function<void(const std::exception_ptr&)> reportWindowError;
};

// What both executables set up before anything else: the locale of log dates and times
// and the devices behind the port names.
void PrepareProgram();

// Answers --help and --version, warns about unknown switches, then chooses the mode from
// the parameters, runs its host and reports an exception that escapes it. Returns 0, or
// the host's code for a failed start, install or uninstall.
int RunProgram(const std::vector<std::string>& parameters, const TProgramHosts& hosts);

// The service mode's report: "Application Error", the exception's class and message.
std::string ApplicationErrorText(const std::exception& error, const std::string& module);

}  // namespace helvanta
