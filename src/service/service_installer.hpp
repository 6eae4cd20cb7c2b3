#pragma once

#include <string>

namespace helvanta {

// Where and how the systemd unit is put in place; tests point both at their own.
struct TServiceInstallPlace {
  std::string unitFolder;  // /etc/systemd/system, or $HELVANTA_UNIT_DIR
  std::string systemctl;   // systemctl, or $HELVANTA_SYSTEMCTL
};
TServiceInstallPlace DefaultInstallPlace();

// What the unit needs to know of this program.
struct TServiceUnitSettings {
  std::string executable;    // full path
  std::string programFolder;
  std::string outputFolder;
};

// Full path of the unit file in a folder.
std::string UnitFilePath(const std::string& unitFolder);

// The text of HelvantaService.service.
std::string ServiceUnitText(const TServiceUnitSettings& settings);

// Result of an install or uninstall; message holds the reason of a failure.
struct TServiceInstallResult {
  bool ok = false;
  std::string message;
};

// Writes the unit, reloads systemd and enables the unit.
TServiceInstallResult InstallService(const TServiceInstallPlace& place, const TServiceUnitSettings& settings);
// Disables the unit, removes its file and reloads systemd.
TServiceInstallResult UninstallService(const TServiceInstallPlace& place);

}  // namespace helvanta
