#include "pvoutput/pvoutput_requests.hpp"

#include <cstdio>
#include <cstdlib>

namespace helvanta {

namespace {

std::optional<std::int64_t> Hundredths(const THistoryRow& row, int displayRow) {
  return row.hundredths[static_cast<std::size_t>(displayRow)];
}

// Hundredths with two decimals, as PVOutput's decimal fields take them.
std::string Decimal(std::int64_t hundredths) {
  const std::int64_t whole = std::llabs(hundredths);
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld.%02lld", hundredths < 0 ? "-" : "", static_cast<long long>(whole / 100),
                static_cast<long long>(whole % 100));
  return text;
}

// Hundredths rounded to whole units (half away from zero).
std::int64_t Whole(std::int64_t hundredths) { return (hundredths + (hundredths < 0 ? -50 : 50)) / 100; }

// kWh in hundredths to Wh: 0.01 kWh is 10 Wh.
std::optional<std::int64_t> EnergyWh(const THistoryRow& row) {
  const std::optional<std::int64_t> kWh = Hundredths(row, kRowWorkDay);
  if (!kWh) return std::nullopt;
  return *kWh * 10;
}

std::optional<std::int64_t> PowerW(const THistoryRow& row) {
  const std::optional<std::int64_t> w = Hundredths(row, kRowAcPower);
  if (!w) return std::nullopt;
  return Whole(*w);
}

DateTime LocalTime(const THistoryRow& row) { return MinuteTime(row.LocalMinute()); }

// A form value holds digits, '-', '.', ':', ',' and ';'; the last three are escaped.
std::string FormEscaped(std::string_view value) {
  std::string escaped;
  for (const char c : value) {
    if (c == ':') {
      escaped += "%3A";
    } else if (c == ',') {
      escaped += "%2C";
    } else if (c == ';') {
      escaped += "%3B";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

void AddField(std::string& body, std::string_view name, std::string_view value) {
  if (!body.empty()) body += '&';
  body += name;
  body += '=';
  body += FormEscaped(value);
}

std::string Text(const std::optional<std::int64_t>& value) { return value ? std::to_string(*value) : std::string(); }

std::string DecimalText(const std::optional<std::int64_t>& hundredths) {
  return hundredths ? Decimal(*hundredths) : std::string();
}

}  // namespace

std::string PvoutputDate(const DateTime& t) { return FormatTime(t, "%Y%M%D"); }

std::string PvoutputTime(const DateTime& t) { return FormatTime(t, "%h:%m"); }

std::string AddStatusBody(const THistoryRow& row) {
  std::string body;
  AddField(body, "d", PvoutputDate(LocalTime(row)));
  AddField(body, "t", PvoutputTime(LocalTime(row)));
  if (const auto wh = EnergyWh(row)) AddField(body, "v1", std::to_string(*wh));
  if (const auto w = PowerW(row)) AddField(body, "v2", std::to_string(*w));
  if (const auto c = Hundredths(row, kRowCoolerTemperature)) AddField(body, "v5", Decimal(*c));
  if (const auto v = Hundredths(row, kRowAcVoltage)) AddField(body, "v6", Decimal(*v));
  return body;
}

std::string AddBatchStatusBody(std::span<const THistoryRow> rows) {
  std::string data;
  for (const THistoryRow& row : rows) {
    if (!data.empty()) data += ';';
    // Date, time, v1 .. v6: consumption (v3, v4) stays empty.
    data += PvoutputDate(LocalTime(row)) + "," + PvoutputTime(LocalTime(row)) + "," + Text(EnergyWh(row)) + "," +
            Text(PowerW(row)) + ",,," + DecimalText(Hundredths(row, kRowCoolerTemperature)) + "," +
            DecimalText(Hundredths(row, kRowAcVoltage));
  }
  std::string body;
  AddField(body, "data", data);
  return body;
}

std::string AddOutputBody(const TPvoutputDay& day) {
  std::string body;
  AddField(body, "d", PvoutputDate(day.date));
  if (day.generatedWh) AddField(body, "g", std::to_string(*day.generatedWh));
  if (day.peakW) {
    AddField(body, "pp", std::to_string(*day.peakW));
    AddField(body, "pt", PvoutputTime(day.peakTime));
  }
  return body;
}

std::optional<TPvoutputDay> DayOutput(std::span<const THistoryRow> rows) {
  TPvoutputDay day;
  for (const THistoryRow& row : rows) {
    day.date = LocalTime(row);
    if (const auto wh = EnergyWh(row)) day.generatedWh = wh;
    if (const auto w = PowerW(row); w && (!day.peakW || *w > *day.peakW)) {
      day.peakW = w;
      day.peakTime = LocalTime(row);
    }
  }
  if (!day.generatedWh && !day.peakW) return std::nullopt;
  day.date = DateTime{day.date.year, day.date.month, day.date.day, 0, 0, 0, 0};
  return day;
}

bool BatchAnswerMatches(std::string_view body, std::span<const THistoryRow> rows, std::size_t& notAdded) {
  while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.remove_suffix(1);
  notAdded = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::size_t end = body.find(';');
    const std::string_view entry = body.substr(0, end);
    const DateTime t = LocalTime(rows[i]);
    const std::string expected = PvoutputDate(t) + "," + PvoutputTime(t) + ",";
    if (entry.size() != expected.size() + 1 || !entry.starts_with(expected)) return false;
    if (entry.back() == '0') {
      ++notAdded;
    } else if (entry.back() != '1') {
      return false;
    }
    if ((end == std::string_view::npos) != (i + 1 == rows.size())) return false;
    if (end != std::string_view::npos) body.remove_prefix(end + 1);
  }
  return true;
}

}  // namespace helvanta
