#include "app/usage.hpp"

#include "app/build_info.hpp"
#include "app/startup.hpp"

namespace helvanta {

std::string UsageText(const std::string& programFolder) {
  std::string text =
      "Usage:\n"
      "  helvanta                                the desktop window\n"
      "  helvanta -service                       the service; started by hand it runs in\n"
      "                                          the foreground until Ctrl-C\n"
      "  helvanta -service -install [-silent]    write and enable the systemd unit\n"
      "                                          HelvantaService\n"
      "  helvanta -service -uninstall [-silent]  disable and remove it\n"
      "  helvanta -import FILE...                add daily CSV files to the history database,\n"
      "                                          reading them through the template's record\n"
      "                                          line; lines that do not match are counted\n"
      "  helvanta -mqtt-forget                   take the sensors out of Home Assistant:\n"
      "                                          empty retained discovery configs (stop\n"
      "                                          Helvanta or empty [MQTT] Discovery first)\n"
      "  helvanta --help | -h                    this text\n"
      "  helvanta --version                      name, version and build\n"
      "\n"
      "Window options:\n"
      "  --connect                connect at start\n"
      "  --screenshots=<folder>   connect, save pictures of the window into <folder>, close\n"
      "\n"
      "-service, -install, -uninstall and -silent may also start with / and ignore letter\n"
      "case; without -service the other three do nothing. Unknown switches are ignored\n"
      "after a warning.\n"
      "\n"
      "Files beside the executable, in " +
      programFolder +
      ":\n"
      "  Helvanta.ini     settings: port, connection window, template, output folder,\n"
      "                   interval; [Ports] COM1=/dev/ttyUSB0 names a port's device;\n"
      "                   [MQTT] Host=... publishes the values to an MQTT broker;\n"
      "                   [Web] Listen=127.0.0.1:8480 serves a page with live values\n"
      "                   and charts\n"
      "  Helvanta.lng     optional texts that replace the English ones\n"
      "  Template.csv     the default log template; logs go to <OutputFolder>/yymmdd.csv\n"
      "                   and every minute to <OutputFolder>/helvanta.sqlite ([History])\n";
  if (kBuildHasWindow) text += "  helvanta-window  the desktop window, started by helvanta\n";
  text +=
      "\n"
      "The service's events go to the system log (journalctl -t HelvantaService) and,\n"
      "when it was started by hand, to standard error. The window shows its messages in\n"
      "its status bar and in message boxes.\n";
  return text;
}

std::string VersionText() {
  std::string build = std::string("build ") + kBuildCommit;
  if (kBuildType[0] != '\0') build += std::string(", ") + kBuildType;
  if (!kBuildHasWindow) build += ", without window";
  return std::string(kApplicationTitleText) + "\n" + build + "\n";
}

}  // namespace helvanta
