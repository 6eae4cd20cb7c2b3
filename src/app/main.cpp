#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "app/startup.hpp"
#include "app/window_error.hpp"
#include "config/settings.hpp"
#include "serial/port_device.hpp"
#include "service/service_host.hpp"

#ifdef HELVANTA_HAVE_WINDOW
#include "ui/window_mode.hpp"
#endif

int main(int argc, char** argv) {
  using namespace helvanta;
  // The log's date and time separators follow the user's locale in both modes, the
  // service's too; numbers are written without the locale, always with '.'.
  std::setlocale(LC_TIME, "");
  // COMn names the device given in the Ports section of Helvanta.ini.
  SetPortDeviceResolver([](const std::string& portName) { return DeviceForPort(portName); });

  TProgramHosts hosts;
#ifdef HELVANTA_HAVE_WINDOW
  hosts.runWindow = [argc, argv] { return RunWindowMode(argc, argv); };
#else
  hosts.runWindow = [] {
    std::fprintf(stderr, "%s: this build has no window; start it with -service.\n", kApplicationTitleText);
    return 0;
  };
#endif
  hosts.runService = RunServiceHost;
  hosts.reportWindowError = ReportWindowError;
  return RunProgram(std::vector<std::string>(argv + 1, argv + argc), hosts);
}
