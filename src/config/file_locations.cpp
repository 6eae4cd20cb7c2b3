#include "config/file_locations.hpp"

#include <atomic>
#include <cstdlib>

#include "runtime/program_folder.hpp"

namespace helvanta {

namespace {

std::atomic<TProgramMode> gMode{TProgramMode::kSystem};

std::string Folder(std::string path) {
  if (path.empty() || path.back() != kPathSeparator) path.push_back(kPathSeparator);
  return path;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// An XDG base folder: the variable when it holds an absolute path (relative ones are to
// be ignored), else the default under the home folder; empty without either.
std::string BaseFolder(const std::string& variable, const std::string& home, const char* underHome) {
  if (!variable.empty() && variable.front() == kPathSeparator) return Folder(variable);
  if (home.empty()) return {};
  return Folder(home) + underHome;
}

}  // namespace

void SetProgramMode(TProgramMode mode) { gMode = mode; }

TFileLocations ChooseFileLocations(const TLocationInputs& inputs, const TInstalledFolders& folders) {
  const std::string& own = inputs.executableFolder;
  const std::string helper = Folder(folders.libexec) + "helvanta/";
  if (own != Folder(folders.bin) && own != helper) {
    return {false,        own + "Helvanta.ini",   {}, own + "Helvanta.lng", own + "Template.csv",
            own + "Data", own + "helvanta-window"};
  }
  const std::string shared = Folder(folders.data) + "helvanta/";
  const std::string systemSettings = Folder(folders.sysconf) + "helvanta/Helvanta.ini";
  TFileLocations locations{true,
                           systemSettings,
                           {},
                           shared + "Helvanta.lng",
                           shared + "Template.csv",
                           Folder(folders.localstate) + "lib/helvanta/Data",
                           helper + "helvanta-window"};
  if (inputs.mode == TProgramMode::kWindow) {
    const std::string config = BaseFolder(inputs.xdgConfigHome, inputs.home, ".config/");
    const std::string data = BaseFolder(inputs.xdgDataHome, inputs.home, ".local/share/");
    // Without a home folder the window reads the box's settings and cannot save them.
    if (!config.empty()) {
      locations.settingsFile = config + "helvanta/Helvanta.ini";
      locations.settingsSource = systemSettings;
    }
    if (!data.empty()) locations.outputFolder = data + "helvanta/Data";
  }
  return locations;
}

TFileLocations FileLocationsFor(TProgramMode mode) {
  const TInstalledFolders folders{HELVANTA_INSTALL_BINDIR, HELVANTA_INSTALL_LIBEXECDIR, HELVANTA_INSTALL_DATADIR,
                                  HELVANTA_INSTALL_SYSCONFDIR, HELVANTA_INSTALL_LOCALSTATEDIR};
  return ChooseFileLocations(
      {ProgramFolder(), mode, Environment("XDG_CONFIG_HOME"), Environment("XDG_DATA_HOME"), Environment("HOME")},
      folders);
}

TFileLocations CurrentFileLocations() { return FileLocationsFor(gMode); }

}  // namespace helvanta
