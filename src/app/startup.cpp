#include "app/startup.hpp"

#include <cxxabi.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "app/command_line.hpp"
#include "app/usage.hpp"
#include "config/file_locations.hpp"
#include "config/settings.hpp"
#include "history/history_import.hpp"
#include "mqtt/mqtt_forget.hpp"
#include "runtime/program_folder.hpp"
#include "serial/port_device.hpp"

namespace helvanta {

namespace {

std::string ClassName(const std::type_info& type) {
  int status = 0;
  const std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && demangled ? demangled.get() : type.name();
}

std::string ModuleName() {
  const std::string path = ExecutablePath();
  const auto slash = path.rfind(kPathSeparator);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Standard output that cannot be written (a closed pipe, a full disk) is a failure.
int PrintToStdout(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
}

}  // namespace

void PrepareProgram() {
  // The log's date and time separators follow the user's locale in both modes, the
  // service's too; numbers are written without the locale, always with '.'.
  std::setlocale(LC_TIME, "");
  // COMn names the device given in the Ports section of Helvanta.ini.
  SetPortDeviceResolver([](const std::string& portName) { return DeviceForPort(portName); });
}

std::string ApplicationErrorText(const std::exception& error, const std::string& module) {
  return "Application Error\nException " + ClassName(typeid(error)) + " in module " + module + ".\n" + error.what();
}

int RunProgram(const std::vector<std::string>& parameters, const TProgramHosts& hosts) {
  switch (InfoRequested(parameters)) {
    case TInfoRequest::help:
      return PrintToStdout(UsageText(FileLocationsFor(TProgramMode::kSystem), FileLocationsFor(TProgramMode::kWindow)));
    case TInfoRequest::version: return PrintToStdout(VersionText());
    case TInfoRequest::none: break;
  }
  for (const std::string& unknown : UnknownSwitches(parameters)) {
    std::fprintf(stderr, "helvanta: unknown switch \"%s\" ignored (see helvanta --help)\n", unknown.c_str());
  }
  if (ImportRequested(parameters)) {
    return RunHistoryImport(
        ImportFiles(parameters), [](const std::string& line) { std::printf("%s\n", line.c_str()); },
        [](const std::string& line) { std::fprintf(stderr, "helvanta: %s\n", line.c_str()); });
  }
  if (MqttForgetRequested(parameters)) {
    const TMqttForgetResult result = ForgetMqttSensors();
    std::fprintf(result.ok ? stdout : stderr, "%s%s\n", result.ok ? "" : "helvanta: ", result.message.c_str());
    return result.ok ? 0 : 1;
  }
  try {
    if (ServiceModeRequested(parameters)) return hosts.runService(ServiceSwitches(parameters));
    return hosts.runWindow();
  } catch (const std::exception& error) {
    if (ServiceModeRequested(parameters)) {
      std::fprintf(stderr, "%s\n", ApplicationErrorText(error, ModuleName()).c_str());
    } else {
      hosts.reportWindowError(std::current_exception());
    }
  }
  return 0;
}

}  // namespace helvanta
