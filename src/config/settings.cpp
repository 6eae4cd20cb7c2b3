#include "config/settings.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "config/file_access.hpp"
#include "config/file_locations.hpp"
#include "config/ini_file.hpp"
#include "config/ini_text.hpp"
#include "config/language.hpp"
#include "config/text_keys.hpp"
#include "config/time_of_day.hpp"
#include "runtime/serial_port_device.hpp"
#include "text/com_port_name.hpp"

namespace helvanta {

TAppSettings AppSettings;

namespace {

constexpr std::string_view kDataLogging = "Data Logging";
constexpr std::string_view kWindow = "Window";
constexpr std::string_view kPorts = "Ports";

constexpr std::string_view kDefaultComPort = "COM1";
constexpr std::string_view kDefaultFrom = "04:30:00";
constexpr std::string_view kDefaultTill = "22:30:00";
constexpr std::int32_t kDefaultRequestInterval = 4;
constexpr std::array<std::int32_t, 10> kRequestIntervals{1, 2, 3, 4, 5, 6, 10, 15, 30, 60};
constexpr std::array<std::string_view, 7> kDataLoggingKeys{
    "ComPort", "From", "Till", "TemplateFile", "OutputFolder", "RequestInterval", "ReceivePseudoData"};

std::string DefaultTemplateFile() { return CurrentFileLocations().templateFile; }
std::string DefaultOutputFolder() { return CurrentFileLocations().outputFolder; }

}  // namespace

std::string SettingsFilePath() { return CurrentFileLocations().settingsFile; }

bool SettingsFileExists() { return RegularFileExists(SettingsFilePath()); }

TSettingsFileState LoadSettings() {
  const IniFile ini(SettingsFilePath());
  AppSettings.ComPort = ini.ReadString(kDataLogging, "ComPort", kDefaultComPort);
  AppSettings.From = ini.ReadString(kDataLogging, "From", kDefaultFrom);
  AppSettings.Till = ini.ReadString(kDataLogging, "Till", kDefaultTill);
  AppSettings.TemplateFile = ini.ReadString(kDataLogging, "TemplateFile", DefaultTemplateFile());
  AppSettings.OutputFolder = ini.ReadString(kDataLogging, "OutputFolder", DefaultOutputFolder());
  AppSettings.RequestInterval = ini.ReadInteger(kDataLogging, "RequestInterval", kDefaultRequestInterval);
  AppSettings.ReceivePseudoData = ini.ReadBool(kDataLogging, "ReceivePseudoData", false);
  switch (ini.ReadStatus()) {
    case FileReadStatus::kOk:
    case FileReadStatus::kMissing: break;
    case FileReadStatus::kTooLarge: return TSettingsFileState::kTooLarge;
    case FileReadStatus::kFailed: return TSettingsFileState::kUnreadable;
  }
  for (const std::string_view key : kDataLoggingKeys) {
    if (ini.HasKey(kDataLogging, key)) return TSettingsFileState::kRead;
  }
  // Empty, random bytes, or another program's file: every setting is a default.
  return TSettingsFileState::kNoDataLogging;
}

std::vector<TReplacedSetting> ValidateSettings() {
  TAppSettings& s = AppSettings;
  std::vector<TReplacedSetting> replaced;
  const auto replace = [&replaced](std::string_view key, std::string& value, std::string replacement) {
    if (!value.empty()) replaced.push_back({std::string(key), value, replacement});
    value = std::move(replacement);
  };
  // "COM3", "com3", "COM3x": the fourth character names the port.
  const std::optional<unsigned> port =
      s.ComPort.size() >= 4 ? ComPortNumber(std::string("COM") + s.ComPort[3]) : std::nullopt;
  if (port && *port <= 7) {
    s.ComPort = "COM" + std::to_string(*port);
  } else {
    replace("ComPort", s.ComPort, std::string(kDefaultComPort));
  }
  // A time of day the tick and the dialog can convert: "h:nn:ss" and "hh:nn" come out as
  // "hh:nn:ss", anything else (empty or not a time) as the default.
  const auto timeOfDay = [&replace](std::string_view key, std::string& value, std::string_view defaultValue) {
    if (const std::optional<TimeOfDay> time = ParseTimeOfDay(value)) {
      value = FormatTimeOfDay(*time);
    } else {
      replace(key, value, std::string(defaultValue));
    }
  };
  timeOfDay("From", s.From, kDefaultFrom);
  timeOfDay("Till", s.Till, kDefaultTill);
  if (s.TemplateFile.empty()) s.TemplateFile = DefaultTemplateFile();
  if (s.OutputFolder.empty()) s.OutputFolder = DefaultOutputFolder();
  if (std::find(kRequestIntervals.begin(), kRequestIntervals.end(), s.RequestInterval) == kRequestIntervals.end()) {
    replaced.push_back({"RequestInterval", std::to_string(s.RequestInterval), std::to_string(kDefaultRequestInterval)});
    s.RequestInterval = kDefaultRequestInterval;
  }
  return replaced;
}

std::vector<std::string> SettingsReportMessages(const TLanguageList& list, const TSettingsReport& report,
                                                std::string_view lineBreak) {
  std::vector<std::string> messages;
  switch (report.file) {
    case TSettingsFileState::kRead: break;
    case TSettingsFileState::kUnreadable:
    case TSettingsFileState::kTooLarge:
      messages.push_back(ComposeKeyMessage(list, text_key::kSettingsFileUnreadable, SettingsFilePath(), lineBreak));
      break;
    case TSettingsFileState::kNoDataLogging:
      messages.push_back(ComposeKeyMessage(list, text_key::kSettingsSectionMissing, SettingsFilePath(), lineBreak));
      break;
  }
  for (const TReplacedSetting& r : report.replaced) {
    messages.push_back(ComposeKeyMessage(list, text_key::kSettingReplaced,
                                         r.key + "=" + r.rejected + " (now " + r.replacement + ")", lineBreak));
  }
  if (!report.outputFolderWritable) {
    messages.push_back(ComposeKeyMessage(list, text_key::kOutputFolderUnwritable, AppSettings.OutputFolder, lineBreak));
  }
  return messages;
}

bool SaveDialogSettings() {
  const std::array<std::pair<std::string_view, const std::string*>, 5> entries{{
      {"ComPort", &AppSettings.ComPort},
      {"From", &AppSettings.From},
      {"Till", &AppSettings.Till},
      {"TemplateFile", &AppSettings.TemplateFile},
      {"OutputFolder", &AppSettings.OutputFolder},
  }};
  // A text that cannot be stored (a line break typed into a path) fails the save before
  // any key is written, so the file never holds half of the dialog's values.
  for (const auto& [key, value] : entries) {
    if (!IsWritableIniEntry(kDataLogging, key, *value)) return false;
  }
  IniFile ini(SettingsFilePath());
  for (const auto& [key, value] : entries) {
    if (!ini.WriteString(kDataLogging, key, *value)) return false;
  }
  return true;
}

WindowPlacement LoadWindowPlacement() {
  const IniFile ini(SettingsFilePath());
  WindowPlacement placement;
  placement.Top = ini.ReadInteger(kWindow, "Top", placement.Top);
  placement.Left = ini.ReadInteger(kWindow, "Left", placement.Left);
  placement.InitMax = ini.ReadBool(kWindow, "InitMax", placement.InitMax);
  return placement;
}

bool SaveWindowPlacement(int top, int left, bool maximised) {
  IniFile ini(SettingsFilePath());
  if (!maximised && !(ini.WriteInteger(kWindow, "Top", top) && ini.WriteInteger(kWindow, "Left", left))) {
    return false;
  }
  return ini.WriteBool(kWindow, "InitMax", maximised);
}

std::string DeviceForPort(const std::string& portName) {
  // The keys of [Ports] are COM1 to COM9.
  const std::optional<unsigned> number = ComPortNumber(portName);
  if (!number || portName.size() != 4) return portName;
  const IniFile ini(SettingsFilePath());
  std::string device = ini.ReadString(kPorts, "COM" + std::to_string(*number), "");
  if (!device.empty()) return device;
  return BuiltInSerialDevice(*number);
}

std::vector<TPortDevice> ChangedPortDevices(const std::vector<TPortDevice>& choices) {
  std::vector<TPortDevice> changed;
  for (const TPortDevice& choice : choices) {
    if (!choice.device.empty() && choice.device != DeviceForPort(choice.portName)) changed.push_back(choice);
  }
  return changed;
}

bool SavePortDevices(const std::vector<TPortDevice>& devices) {
  for (const TPortDevice& d : devices) {
    if (!IsWritableIniEntry(kPorts, d.portName, d.device)) return false;
  }
  IniFile ini(SettingsFilePath());
  for (const TPortDevice& d : devices) {
    if (!ini.WriteString(kPorts, d.portName, d.device)) return false;
  }
  return true;
}

}  // namespace helvanta
