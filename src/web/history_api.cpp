#include "web/history_api.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <exception>
#include <string>

#include "history/history_reader.hpp"
#include "history/history_values.hpp"
#include "runtime/clock.hpp"
#include "runtime/date_time.hpp"
#include "text/gzip.hpp"
#include "text/json_writer.hpp"

namespace helvanta {

namespace {

constexpr int kAcPowerRow = 2;
constexpr int kDcPowerRow = 5;

// Digits only, of the given length, so "+5", " 5" and "5e0" are no numbers here.
std::optional<int> Digits(std::string_view text, std::size_t length) {
  if (text.size() != length || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

struct TDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

std::optional<TDate> ParseDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto year = Digits(text.substr(0, 4), 4);
  const auto month = Digits(text.substr(5, 2), 2);
  const auto day = Digits(text.substr(8, 2), 2);
  if (!year || !month || !day || !IsCivilDate(*year, *month, *day)) return std::nullopt;
  return TDate{*year, *month, *day};
}

std::optional<TDate> ParseMonth(std::string_view text) {
  if (text.size() != 7 || text[4] != '-') return std::nullopt;
  const auto year = Digits(text.substr(0, 4), 4);
  const auto month = Digits(text.substr(5, 2), 2);
  if (!year || !month || !IsCivilDate(*year, *month, 1)) return std::nullopt;
  return TDate{*year, *month, 1};
}

std::optional<int> ParseYear(std::string_view text) {
  const auto year = Digits(text, 4);
  if (!year || !IsCivilDate(*year, 1, 1)) return std::nullopt;
  return year;
}

// Hundredths as a decimal number, whatever the locale: 23015 is "230.15", -5 is "-0.05".
std::string HundredthsText(std::int64_t value) {
  std::string out;
  if (value < 0) out += '-';
  const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  out += std::to_string(magnitude / 100);
  const auto cents = static_cast<unsigned>(magnitude % 100);
  if (cents != 0) {
    out += '.';
    out += static_cast<char>('0' + cents / 10);
    if (cents % 10 != 0) out += static_cast<char>('0' + cents % 10);
  }
  return out;
}

void WriteKwh(TJsonWriter& json, double kWh) {
  std::array<char, 32> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), kWh, std::chars_format::fixed, 2);
  json.RawNumber(std::string_view(text.data(), static_cast<std::size_t>(result.ptr - text.data())));
}

// An instant (UTC) as the local time of the clock's zone, with its offset.
std::string LocalInstant(const Clock& clock, std::int64_t utcMs) {
  const int offset = clock.OffsetMinutesAt(utcMs);
  return IsoLocalTime(FromEpochMilliseconds(utcMs + static_cast<std::int64_t>(offset) * 60'000), offset);
}

// Where the local day begins and ends, and the first minute of its second offset when
// summer time begins or ends in it: a page draws the day by these instants, 23 or 25
// hours long, and labels its axis in local time.
void WriteDayBounds(TJsonWriter& json, const TDate& day) {
  constexpr std::int64_t kMsPerMinute = 60'000;
  const Clock& clock = ProgramClock();
  const std::int64_t days = DaysFromCivil(day.year, day.month, day.day);
  const std::int64_t start = clock.UtcOfLocal(FromEpochMilliseconds(days * 86'400'000));
  const std::int64_t end = clock.UtcOfLocal(FromEpochMilliseconds((days + 1) * 86'400'000));
  json.Member("start", LocalInstant(clock, start)).Member("end", LocalInstant(clock, end));
  const int first = clock.OffsetMinutesAt(start);
  if (clock.OffsetMinutesAt(end) == first) return;
  std::int64_t before = start;
  std::int64_t after = end;
  while (after - before > kMsPerMinute) {
    const std::int64_t middle = before + (after - before) / kMsPerMinute / 2 * kMsPerMinute;
    if (clock.OffsetMinutesAt(middle) == first) {
      before = middle;
    } else {
      after = middle;
    }
  }
  json.Member("change", LocalInstant(clock, after));
}

// "-60", "0", "1439": minutes either side of a day's start, bounded.
std::optional<std::int64_t> SignedMinutes(std::string_view text) {
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 5) return std::nullopt;
  const std::optional<int> value = Digits(text, text.size());
  if (!value) return std::nullopt;
  return negative ? -*value : *value;
}

std::string DayJson(std::string_view date, const TDate& day, std::string_view rows) {
  TJsonWriter json;
  json.Reserve(256 + rows.size());
  json.BeginObject().Member("date", date);
  WriteDayBounds(json, day);
  json.Key("columns").BeginArray();
  for (const std::string_view column : {"minute", "ac_power", "dc_power", "work_current_day", "utc_offset"}) {
    json.String(column);
  }
  json.EndArray().Key("units").BeginArray();
  for (const std::string_view unit : {"min", "W", "W", "kWh", "min"}) json.String(unit);
  json.EndArray().Key("rows").BeginArray();
  if (!rows.empty()) json.RawValue(rows);
  json.EndArray().EndObject();
  return json.Take();
}

// A database that cannot be read is the server's trouble, not the request's.
THttpResponse Unreadable(const std::exception& error) {
  return JsonError(503, std::string("the history cannot be read: ") + error.what());
}

}  // namespace

void TDayAnswers::TRows::Add(const THistoryRow& row, std::int64_t firstMinute) {
  starts.emplace_back(row.utcMinute - firstMinute, text.size());
  if (!text.empty()) text += ',';
  text += '[';
  text += std::to_string(row.LocalMinute() - firstMinute);
  for (const int r : {kAcPowerRow, kDcPowerRow, kDayEnergyRow}) {
    text += ',';
    const std::optional<std::int64_t>& value = row.hundredths[static_cast<std::size_t>(r)];
    text += value ? HundredthsText(*value) : "null";
  }
  text += ',';
  text += std::to_string(row.offsetMinutes);
  text += ']';
}

std::string_view TDayAnswers::TRows::After(std::optional<std::int64_t> key) const {
  const auto first = std::find_if(starts.begin(), starts.end(), [&](const auto& s) { return !key || s.first > *key; });
  if (first == starts.end()) return {};
  std::string_view rest(text);
  rest.remove_prefix(first->second);
  if (rest.starts_with(',')) rest.remove_prefix(1);
  return rest;
}

THttpResponse TDayAnswers::Answer(THistoryReader& reader, const TRequest& request) {
  const std::optional<TDate> day = request.date ? ParseDate(*request.date) : std::nullopt;
  if (!day) return JsonError(400, "date must be a calendar date written YYYY-MM-DD");
  std::optional<std::int64_t> since;
  if (request.since) {
    since = SignedMinutes(*request.since);
    if (!since) return JsonError(400, "since must be a whole number of minutes");
  }
  const std::int64_t firstMinute = DaysFromCivil(day->year, day->month, day->day) * 1440;
  // The three columns printed, not all 32.
  static constexpr std::array<int, 3> kPrinted{kAcPowerRow, kDcPowerRow, kDayEnergyRow};
  const auto read = [&](TRows& rows, std::optional<std::int64_t> after) -> std::optional<THttpResponse> {
    try {
      if (after) after = *after + firstMinute;
      reader.ForEachDayRow(day->year, day->month, day->day, kPrinted, after,
                           [&](const THistoryRow& row) { rows.Add(row, firstMinute); });
    } catch (const std::exception& error) {
      return Unreadable(error);
    }
    return std::nullopt;
  };
  if (*request.date != request.today) {
    TRows rows;
    if (std::optional<THttpResponse> failed = read(rows, since)) return *failed;
    return JsonResponse(200, DayJson(*request.date, *day, rows.After(since)));
  }
  // Today is kept whole, whatever one request asks for, and only the rows not kept yet
  // are read.
  const std::lock_guard lock(mutex_);
  if (reader.Path() != path_ || request.today != today_) {
    today_ = std::string(request.today);
    path_ = reader.Path();
    rows_ = {};
    gzip_.clear();
  }
  const std::size_t held = rows_.starts.size();
  if (std::optional<THttpResponse> failed =
          read(rows_, held == 0 ? std::nullopt : std::optional(rows_.starts.back().first))) {
    return *failed;
  }
  // The whole of today is what a page loads first; only that is worth compressing, once
  // for each new row.
  if (since || !request.gzip) return JsonResponse(200, DayJson(*request.date, *day, rows_.After(since)));
  if (gzip_.empty() || gzipRows_ != rows_.starts.size()) {
    gzip_ = Gzip(DayJson(*request.date, *day, rows_.After(std::nullopt)));
    gzipRows_ = rows_.starts.size();
  }
  THttpResponse response = JsonResponse(200, gzip_);
  response.headers.emplace_back("Content-Encoding", "gzip");
  response.headers.emplace_back("Vary", "Accept-Encoding");
  return response;
}

THttpResponse EnergyAnswer(THistoryReader& reader, std::optional<std::string_view> month,
                           std::optional<std::string_view> year) {
  if (month.has_value() == year.has_value()) return JsonError(400, "give either month=YYYY-MM or year=YYYY");
  TJsonWriter json;
  json.BeginObject();
  try {
    if (month) {
      const std::optional<TDate> first = ParseMonth(*month);
      if (!first) return JsonError(400, "month must be written YYYY-MM");
      json.Member("month", *month).Member("unit", "kWh").Key("days").BeginArray();
      for (const TDayEnergy& energy : reader.DailyEnergies(first->year, first->month)) {
        json.BeginArray().Number(energy.day);
        WriteKwh(json, energy.kWh);
        json.EndArray();
      }
    } else {
      const std::optional<int> number = ParseYear(*year);
      if (!number) return JsonError(400, "year must be written YYYY");
      json.Member("year", *year).Member("unit", "kWh").Key("months").BeginArray();
      for (const TMonthEnergy& energy : reader.MonthlyEnergies(*number)) {
        json.BeginArray().Number(energy.month);
        WriteKwh(json, energy.kWh);
        json.EndArray();
      }
    }
  } catch (const std::exception& error) {
    return Unreadable(error);
  }
  json.EndArray().EndObject();
  return JsonResponse(200, json.Take());
}

}  // namespace helvanta
