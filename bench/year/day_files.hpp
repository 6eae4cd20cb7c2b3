#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runtime/date_time.hpp"
#include "year/record_check.hpp"

namespace helvanta::year {

// Follows the day files the logger appends to, reading each byte once.
class TDayFiles {
 public:
  // The records appended to the file of day since the last call.
  std::vector<TRecord> NewRecords(const DateTime& day);
  // The record lines of every day file in folder (read again from the start).
  static std::uint64_t CountRecords(const std::string& folder);

 private:
  std::map<std::string, std::uint64_t> read_;  // bytes read of each file
};

}  // namespace helvanta::year
