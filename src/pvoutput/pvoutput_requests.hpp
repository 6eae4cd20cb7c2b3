#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_row.hpp"

namespace helvanta {

// What PVOutput takes: 30 statuses in one batch, statuses dated no more than 14 days
// back (a system without donation mode).
inline constexpr std::size_t kPvoutputBatchLimit = 30;
inline constexpr std::int64_t kPvoutputAgeLimitDays = 14;

// The display rows a status is made of: v1 energy generated today (Wh) from "Work -
// Current day" (kWh), v2 power generated (W) from "Power (AC)", v5 temperature from
// "Cooler temperature", v6 voltage from "Voltage (AC)".
inline constexpr int kRowAcVoltage = 0;
inline constexpr int kRowAcPower = 2;
inline constexpr int kRowCoolerTemperature = 6;
inline constexpr int kRowWorkDay = 10;
inline constexpr int kStatusRows[] = {kRowAcVoltage, kRowAcPower, kRowCoolerTemperature, kRowWorkDay};

// The day's output for the Add Output service.
struct TPvoutputDay {
  DateTime date;
  std::optional<std::int64_t> generatedWh;
  std::optional<std::int64_t> peakW;
  DateTime peakTime;
};

// The form bodies of the three services.
std::string AddStatusBody(const THistoryRow& row);
std::string AddBatchStatusBody(std::span<const THistoryRow> rows);
std::string AddOutputBody(const TPvoutputDay& day);

// The day's output from its minute rows in time order: the last energy of the day and
// the first minute of the highest power; empty when no row holds either.
std::optional<TPvoutputDay> DayOutput(std::span<const THistoryRow> rows);

// Whether the answer to a batch names each status sent, in order, each as added (1) or
// not added (0); counts those not added.
bool BatchAnswerMatches(std::string_view body, std::span<const THistoryRow> rows, std::size_t& notAdded);

// "20261209" and "13:45" of a local time.
std::string PvoutputDate(const DateTime& t);
std::string PvoutputTime(const DateTime& t);

}  // namespace helvanta
