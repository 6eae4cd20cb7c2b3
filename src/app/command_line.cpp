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

bool IsSwitch(std::string_view parameter) {
  return !parameter.empty() && (parameter.front() == '-' || parameter.front() == '/');
}

// The usual Linux options match exactly, unlike the switch words.
bool IsHelpOption(std::string_view parameter) { return parameter == "--help" || parameter == "-h"; }
bool IsVersionOption(std::string_view parameter) { return parameter == "--version"; }
// Window mode's own options, read by ui/start_options.cpp.
bool IsWindowOption(std::string_view parameter) {
  return parameter == "--connect" || parameter.starts_with("--screenshots=");
}

constexpr std::string_view kSwitchWords[] = {"service", "install", "uninstall", "silent", "mqtt-forget"};
constexpr std::string_view kImportWord = "import";

bool IsImportSwitch(std::string_view parameter) {
  return IsSwitch(parameter) && SameWord(parameter.substr(1), kImportWord);
}

bool IsKnownSwitch(std::string_view parameter) {
  for (const std::string_view word : kSwitchWords) {
    if (SameWord(parameter.substr(1), word)) return true;
  }
  return IsHelpOption(parameter) || IsVersionOption(parameter) || IsWindowOption(parameter);
}

}  // namespace

bool FindCmdLineSwitch(const std::vector<std::string>& parameters, std::string_view word) {
  for (const auto& parameter : parameters) {
    if (!IsSwitch(parameter)) continue;
    if (SameWord(std::string_view(parameter).substr(1), word)) return true;
  }
  return false;
}

bool ServiceModeRequested(const std::vector<std::string>& parameters) {
  return FindCmdLineSwitch(parameters, "service");
}

bool MqttForgetRequested(const std::vector<std::string>& parameters) {
  return FindCmdLineSwitch(parameters, "mqtt-forget");
}

TServiceSwitches ServiceSwitches(const std::vector<std::string>& parameters) {
  TServiceSwitches switches;
  switches.install = FindCmdLineSwitch(parameters, "install");
  // Installing wins when both are given.
  switches.uninstall = !switches.install && FindCmdLineSwitch(parameters, "uninstall");
  switches.silent = FindCmdLineSwitch(parameters, "silent");
  return switches;
}

TInfoRequest InfoRequested(const std::vector<std::string>& parameters) {
  for (const auto& parameter : parameters) {
    if (IsHelpOption(parameter)) return TInfoRequest::help;
    if (IsVersionOption(parameter)) return TInfoRequest::version;
  }
  return TInfoRequest::none;
}

bool ImportRequested(const std::vector<std::string>& parameters) {
  for (const auto& parameter : parameters) {
    if (IsImportSwitch(parameter)) return true;
  }
  return false;
}

std::vector<std::string> ImportFiles(const std::vector<std::string>& parameters) {
  std::vector<std::string> files;
  bool after = false;
  for (const auto& parameter : parameters) {
    if (after) {
      files.push_back(parameter);
    } else {
      after = IsImportSwitch(parameter);
    }
  }
  return files;
}

std::vector<std::string> UnknownSwitches(const std::vector<std::string>& parameters) {
  std::vector<std::string> unknown;
  for (const auto& parameter : parameters) {
    if (IsImportSwitch(parameter)) break;
    if (IsSwitch(parameter) && !IsKnownSwitch(parameter)) unknown.push_back(parameter);
  }
  return unknown;
}

}  // namespace helvanta
