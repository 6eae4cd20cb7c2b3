#include "config/history_settings.hpp"

#include <optional>
#include <string_view>

#include "config/ini_file.hpp"
#include "runtime/program_folder.hpp"

namespace helvanta {

namespace {

constexpr std::string_view kHistory = "History";
constexpr std::string_view kDefaultDatabaseName = "helvanta.sqlite";

// An integer key: a missing or empty value gives the default silently, anything else
// that is not an integer within [low, high] gives it with a report.
std::int32_t ReadChecked(const IniFile& ini, std::string_view key, std::int32_t defaultValue, std::int32_t low,
                         std::int32_t high, std::vector<TReplacedSetting>& replaced) {
  const std::string text = ini.ReadString(kHistory, key, "");
  if (text.empty()) return defaultValue;
  const std::optional<std::int32_t> value = ParseIniInteger(text);
  if (value && *value >= low && *value <= high) return *value;
  replaced.push_back({std::string(key), text, std::to_string(defaultValue)});
  return defaultValue;
}

}  // namespace

THistorySettings LoadHistorySettings(std::vector<TReplacedSetting>& replaced) {
  const IniFile ini(SettingsFilePath());
  THistorySettings settings;
  settings.Enabled = ReadChecked(ini, "Enabled", 1, 0, 1, replaced) != 0;
  settings.Database = ini.ReadString(kHistory, "Database", "");
  // A hundred years is more than any disk will want to hold of minute rows.
  settings.KeepDays = ReadChecked(ini, "KeepDays", 0, 0, 36'500, replaced);
  return settings;
}

std::string HistoryDatabasePath(const THistorySettings& settings) {
  if (!settings.Database.empty()) return settings.Database;
  std::string path = AppSettings.OutputFolder;
  if (path.empty() || path.back() != kPathSeparator) path += kPathSeparator;
  return path + std::string(kDefaultDatabaseName);
}

}  // namespace helvanta
