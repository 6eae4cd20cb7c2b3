#pragma once

#include <string>

namespace helvanta {

// The system user the service runs as.
inline constexpr const char* kServiceUser = "helvanta";

// Where and how the systemd unit and its user are put in place; tests point each at
// their own.
struct TServiceInstallPlace {
  std::string unitFolder;  // /etc/systemd/system, or $HELVANTA_UNIT_DIR
  std::string systemctl;   // systemctl, or $HELVANTA_SYSTEMCTL
  std::string useradd;     // /usr/sbin/useradd, or $HELVANTA_USERADD
  std::string usermod;     // /usr/sbin/usermod, or $HELVANTA_USERMOD
  std::string chown;       // chown, or $HELVANTA_CHOWN
};
TServiceInstallPlace DefaultInstallPlace();

// What the unit needs to know of this program.
struct TServiceUnitSettings {
  std::string executable;  // full path
  std::string programFolder;
  std::string outputFolder;
  // The service talks over IP (to an MQTT broker or as the web page); without it the
  // unit gives the service no network at all.
  bool network = false;
  // The package's unit: systemd makes /var/lib/<stateDirectory> the service's, and
  // documentation (a URI) replaces README.md in programFolder. Empty: neither.
  std::string stateDirectory{};
  std::string documentation{};
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

// Prints the result as -install and -uninstall do (a failure on standard error, a
// success unless silent) and gives the exit code.
int ReportInstallResult(const TServiceInstallResult& result, bool silent);

// Creates the service user when missing (a member of dialout), gives it the output
// folder and the daily logs in it, writes the unit, reloads systemd, enables the unit
// and restarts the service if it runs. Refuses an output folder that is not an
// existing absolute folder, or that holds the program's own folder.
TServiceInstallResult InstallService(const TServiceInstallPlace& place, const TServiceUnitSettings& settings);
// Stops and disables the unit, removes its file and reloads systemd. The user and the
// logs stay.
TServiceInstallResult UninstallService(const TServiceInstallPlace& place);

}  // namespace helvanta
