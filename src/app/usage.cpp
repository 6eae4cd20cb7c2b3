#include "app/usage.hpp"

#include "app/build_info.hpp"
#include "app/startup.hpp"
#include "app/usage_platform.hpp"
#include "runtime/program_folder.hpp"

namespace helvanta {

namespace {

std::string SettingsKeys() {
  std::string keys =
      "port, connection window, template, output folder,\n"
      "                   interval; ";
  keys += kUsagePlatform.portsExample;
  keys +=
      "\n"
      "                   [MQTT] Host=... publishes the values to an MQTT broker;\n"
      "                   [Web] Listen=127.0.0.1:8480 serves a page with live values\n"
      "                   and charts\n";
  return keys;
}

std::string OwnFolderFilesText(const TFileLocations& files) {
  const std::string folder = files.settingsFile.substr(0, files.settingsFile.rfind(kPathSeparator) + 1);
  std::string text = "Files beside the executable, in " + folder + ":\n" +
                     "  Helvanta.ini     settings: " + SettingsKeys() +
                     "  Helvanta.lng     optional texts that replace the English ones\n"
                     "  Template.csv     the default log template; logs go to <OutputFolder>/yymmdd.csv\n"
                     "                   and every minute to <OutputFolder>/helvanta.sqlite ([History])\n";
  if (kBuildHasWindow) text += "  helvanta-window  the desktop window, started by helvanta\n";
  return text;
}

// An installed copy: the service and the tools read the box's settings, the window the
// user's own.
std::string InstalledFilesText(const TFileLocations& system, const TFileLocations& window) {
  std::string text = "Files of this installed copy:\n";
  const auto entry = [&text](const std::string& path, const std::string& what) {
    text.append("  ").append(path).append("\n      ").append(what).append("\n");
  };
  entry(system.settingsFile, "settings of the service, -import and -mqtt-forget");
  if (!window.settingsSource.empty()) {
    entry(window.settingsFile, "settings of the window, made from " + window.settingsSource + " on its first start");
  }
  entry(system.languageFile, "optional texts that replace the English ones");
  entry(system.templateFile, "the default log template");
  entry(system.outputFolder, "the service's default OutputFolder: daily logs yymmdd.csv, helvanta.sqlite");
  entry(window.outputFolder, "the window's default OutputFolder");
  entry(window.windowProgram, "the desktop window, started by helvanta (package helvanta-window)");
  text += "  Helvanta.ini     settings: " + SettingsKeys();
  return text;
}

}  // namespace

std::string UsageText(const TFileLocations& system, const TFileLocations& window) {
  std::string text =
      "Usage:\n"
      "  helvanta                                the desktop window\n"
      "  helvanta -service                       the service; started by hand it runs in\n"
      "                                          the foreground until Ctrl-C\n"
      "  helvanta -service -install [-silent]    ";
  text += kUsagePlatform.install;
  text +=
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
      "\n";
  text += system.installed ? InstalledFilesText(system, window) : OwnFolderFilesText(window);
  text += "\n";
  text += kUsagePlatform.eventsGoTo;
  text +=
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
