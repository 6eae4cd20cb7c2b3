#pragma once

#include <cstdint>
#include <string>

namespace helvanta {

struct TAppSettings {
  std::string ComPort;
  std::string TemplateFile;
  std::string OutputFolder;
  std::string From;
  std::string Till;
  std::int32_t RequestInterval = 0;
  bool ReceivePseudoData = false;
};

// The program-wide settings record.
extern TAppSettings AppSettings;

// Full path of Helvanta.ini beside the executable (ProgramFolder()).
std::string SettingsFilePath();
bool SettingsFileExists();

// Reads the seven "Data Logging" keys into AppSettings.
void LoadSettings();
// Fills in defaults and corrects out-of-range values. From and Till come out as valid
// "hh:nn:ss" texts: "h:nn:ss" and "hh:nn" are rewritten so, and an empty text or one that
// is not a time of day gets its default.
void ValidateSettings();
// Writes ComPort, From, Till, TemplateFile, OutputFolder; false when a write failed.
bool SaveDialogSettings();

// The "Window" section of the main window.
struct WindowPlacement {
  int Top = 100;
  int Left = 100;
  bool InitMax = false;
};
WindowPlacement LoadWindowPlacement();
// Writes Top and Left (unless maximised) and then InitMax; false when a write failed.
bool SaveWindowPlacement(int top, int left, bool maximised);

// Device for a port name COM1..COM9: key COMn of section "Ports", else /dev/ttyS<n-1>.
// Any other name is returned as it is.
std::string DeviceForPort(const std::string& portName);

}  // namespace helvanta
