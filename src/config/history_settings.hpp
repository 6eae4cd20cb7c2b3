#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.hpp"

namespace helvanta {

// The [History] section of Helvanta.ini: the minute history beside the daily CSV files.
struct THistorySettings {
  bool Enabled = true;
  // The database file; empty means helvanta.sqlite in the OutputFolder.
  std::string Database;
  // Days of minute rows kept; 0 keeps them all. Daily energies are always kept.
  std::int32_t KeepDays = 0;
};

// Reads [History] from Helvanta.ini; a value that is present but unusable is replaced by
// its default and added to replaced, to be reported like the other settings.
THistorySettings LoadHistorySettings(std::vector<TReplacedSetting>& replaced);

// The database file the settings name, with the OutputFolder of AppSettings for the default.
std::string HistoryDatabasePath(const THistorySettings& settings);

}  // namespace helvanta
