#include "app/command_line.hpp"

namespace helvanta {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

}  // namespace

bool FindCmdLineSwitch(const std::vector<std::string>& parameters, std::string_view word) {
  for (const auto& parameter : parameters) {
    if (parameter.empty() || (parameter.front() != '-' && parameter.front() != '/')) continue;
    if (SameWord(std::string_view(parameter).substr(1), word)) return true;
  }
  return false;
}

bool ServiceModeRequested(const std::vector<std::string>& parameters) {
  return FindCmdLineSwitch(parameters, "service");
}

TServiceSwitches ServiceSwitches(const std::vector<std::string>& parameters) {
  TServiceSwitches switches;
  switches.install = FindCmdLineSwitch(parameters, "install");
  // Installing wins when both are given.
  switches.uninstall = !switches.install && FindCmdLineSwitch(parameters, "uninstall");
  switches.silent = FindCmdLineSwitch(parameters, "silent");
  return switches;
}

}  // namespace helvanta
