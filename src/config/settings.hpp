#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace helvanta {

struct TAppSettings {
  std::string ComPort;
  std::string TemplateFile;
  std::string OutputFolder;
  std::string From;
  std::string Till;
  std::int32_t RequestInterval = 4;
  bool ReceivePseudoData = false;
};

// The program-wide settings record.
extern TAppSettings AppSettings;

// Full path of Helvanta.ini: CurrentFileLocations().settingsFile.
std::string SettingsFilePath();
bool SettingsFileExists();

// How Helvanta.ini read: every key not read has its default.
enum class TSettingsFileState { kRead, kUnreadable, kTooLarge, kNoDataLogging };

// Reads the seven "Data Logging" keys into AppSettings.
TSettingsFileState LoadSettings();

// A stored value that validation replaced by its default.
struct TReplacedSetting {
  std::string key;
  std::string rejected;
  std::string replacement;
};

// Fills in defaults and corrects out-of-range values. From and Till come out as valid
// "hh:nn:ss" texts: "h:nn:ss" and "hh:nn" are rewritten so, and an empty text or one that
// is not a time of day gets its default. Returns every non-empty value it replaced.
std::vector<TReplacedSetting> ValidateSettings();

// What the host reports about the settings at start.
struct TSettingsReport {
  TSettingsFileState file = TSettingsFileState::kRead;
  std::vector<TReplacedSetting> replaced;
  // Whether OutputFolder exists and can be written, as found at start.
  bool outputFolderWritable = true;
};
class TLanguageList;
// One warning per finding: the file that could not be used (key 4008 or 4010, with its
// path), then each replaced key with its rejected value (key 4007), then an output
// folder that cannot take the day's files (key 4081).
std::vector<std::string> SettingsReportMessages(const TLanguageList& list, const TSettingsReport& report,
                                                std::string_view lineBreak);
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

// Device for a port name COM1..COM9: key COMn of section "Ports", else the machine's
// own port (BuiltInSerialDevice).
// Any other name is returned as it is.
std::string DeviceForPort(const std::string& portName);

// A device chosen for a port name COMn in the settings dialog.
struct TPortDevice {
  std::string portName;
  std::string device;
};
// The choices that change what their port maps to: not empty and not what DeviceForPort
// gives now, so that an untouched or default mapping never lands in the file.
std::vector<TPortDevice> ChangedPortDevices(const std::vector<TPortDevice>& choices);
// Writes each choice as key COMn of section "Ports". A choice that cannot be stored fails
// the save before any key is written; false when a write failed.
bool SavePortDevices(const std::vector<TPortDevice>& devices);

}  // namespace helvanta
