#pragma once

#include <string>

namespace helvanta {

// Which settings a run uses: the service and the command-line tools (-import,
// -mqtt-forget) read the box's own; the window, run by a desktop user, keeps its own.
enum class TProgramMode { kSystem, kWindow };
// Chosen once at start, before any file is read; the default is kSystem.
void SetProgramMode(TProgramMode mode);

// The folders of an installed copy (the build's configured install folders).
struct TInstalledFolders {
  std::string bin;         // /usr/bin
  std::string libexec;     // /usr/libexec
  std::string data;        // /usr/share
  std::string sysconf;     // /etc
  std::string localstate;  // /var
};

// What the choice depends on besides the installed folders.
struct TLocationInputs {
  std::string executableFolder;  // real folder of the executable, with a trailing '/'
  TProgramMode mode = TProgramMode::kSystem;
  // $XDG_CONFIG_HOME, $XDG_DATA_HOME and $HOME; empty when unset.
  std::string xdgConfigHome;
  std::string xdgDataHome;
  std::string home;
};

// The files a run reads and writes.
struct TFileLocations {
  // True when the executable sits in the installed bin or libexec/helvanta folder;
  // otherwise every file lies beside the executable.
  bool installed = false;
  std::string settingsFile;  // Helvanta.ini
  // The file a missing settingsFile is made from on first start; empty: none.
  std::string settingsSource;
  std::string languageFile;  // Helvanta.lng
  std::string templateFile;  // default TemplateFile
  std::string outputFolder;  // default OutputFolder
  std::string windowProgram;
};

TFileLocations ChooseFileLocations(const TLocationInputs& inputs, const TInstalledFolders& folders);

// The choice for a mode from ProgramFolder(), the environment and this build's folders.
TFileLocations FileLocationsFor(TProgramMode mode);
// The choice for this run's mode.
TFileLocations CurrentFileLocations();

}  // namespace helvanta
