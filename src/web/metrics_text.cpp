#include "web/metrics_text.hpp"

#include <array>
#include <charconv>
#include <cstddef>

#include "link/measurands.hpp"
#include "link/sensor_rows.hpp"
#include "logging/measurand_presence.hpp"

namespace helvanta {

namespace {

enum class Kind { kGauge, kCounter };
enum class Reading { kDecimal, kHex };

// One displayed measurand as a metric: the name carries Prometheus' base unit, the scale
// turns the shown unit into it (kWh to J, % to a ratio, h to s). Energy is in joules, not
// watt-hours: the linter of Prometheus refuses "hours" in a name.
struct MeasurandMetric {
  std::string_view key;  // the row's key (see SensorRows)
  std::string_view name;
  Kind kind = Kind::kGauge;
  double times = 1.0;
  double per = 1.0;  // a divisor of its own, so that 95.5 % is 0.955 exactly as printed
  Reading reading = Reading::kDecimal;
};

// The running energy totals only grow (the day's, month's and year's start again from
// zero, which Prometheus takes as a counter reset); the snapshots of a past or starting
// period are gauges. "Workingtime" in min:sec is the hours' remainder and is left out.
constexpr std::array<MeasurandMetric, 31> kMeasurandMetrics{{
    {"voltage_ac", "helvanta_ac_voltage_volts"},
    {"current_ac", "helvanta_ac_current_amperes"},
    {"power_ac", "helvanta_ac_power_watts"},
    {"voltage_dc", "helvanta_dc_voltage_volts"},
    {"current_dc", "helvanta_dc_current_amperes"},
    {"power_dc", "helvanta_dc_power_watts"},
    {"cooler_temperature", "helvanta_cooler_temperature_celsius"},
    {"workingtime", "helvanta_working_time_seconds", Kind::kGauge, 3600.0},
    {"work_total", "helvanta_energy_joules_total", Kind::kCounter, 3.6e6},
    {"work_current_day", "helvanta_energy_today_joules_total", Kind::kCounter, 3.6e6},
    {"work_last_day", "helvanta_energy_yesterday_joules", Kind::kGauge, 3.6e6},
    {"work_start_of_current_day", "helvanta_energy_start_of_day_joules", Kind::kGauge, 3.6e6},
    {"work_current_month", "helvanta_energy_this_month_joules_total", Kind::kCounter, 3.6e6},
    {"work_last_month", "helvanta_energy_last_month_joules", Kind::kGauge, 3.6e6},
    {"work_start_of_month", "helvanta_energy_start_of_month_joules", Kind::kGauge, 3.6e6},
    {"work_current_year", "helvanta_energy_this_year_joules_total", Kind::kCounter, 3.6e6},
    {"work_last_year", "helvanta_energy_last_year_joules", Kind::kGauge, 3.6e6},
    {"work_start_of_current_year", "helvanta_energy_start_of_year_joules", Kind::kGauge, 3.6e6},
    {"efficiency", "helvanta_efficiency_ratio", Kind::kGauge, 1.0, 100.0},
    {"voltagelimit_ac_min", "helvanta_ac_voltage_limit_min_volts"},
    {"voltagelimit_ac_max", "helvanta_ac_voltage_limit_max_volts"},
    {"currentlimit", "helvanta_current_limit_ratio", Kind::kGauge, 1.0, 100.0},
    {"frequency", "helvanta_ac_frequency_hertz"},
    {"impedance", "helvanta_grid_impedance_ohms"},
    {"impedance_max", "helvanta_grid_impedance_max_ohms"},
    {"count_of_impedance_errors", "helvanta_impedance_errors"},
    {"count_of_fequence_errors", "helvanta_frequency_errors"},
    {"error_specification", "helvanta_error_specification", Kind::kGauge, 1.0, 1.0, Reading::kHex},
    {"error_state", "helvanta_error_state", Kind::kGauge, 1.0, 1.0, Reading::kHex},
    {"busaddress", "helvanta_bus_address"},
    {"version", "helvanta_inverter_version"},
}};

const SensorRow* RowOfKey(std::string_view key) {
  for (const SensorRow& row : SensorRows()) {
    if (row.key == key) return &row;
  }
  return nullptr;
}

std::optional<double> ParseValue(std::string_view text, Reading reading) {
  const char* end = text.data() + text.size();
  if (reading == Reading::kHex) {
    std::uint32_t bits = 0;
    const auto [ptr, error] = std::from_chars(text.data(), end, bits, 16);
    if (error != std::errc() || ptr != end) return std::nullopt;
    return static_cast<double>(bits);
  }
  double value = 0.0;
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || ptr != end) return std::nullopt;
  return value;
}

void AppendNumber(std::string& out, double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// A label value with backslash, double quote and line feed escaped as the format wants.
void AppendLabel(std::string& out, std::string_view label, std::string_view value) {
  out += '{';
  out += label;
  out += "=\"";
  for (const char c : value) {
    if (c == '\\' || c == '"') out += '\\';
    out += c == '\n' ? std::string_view("\\n") : std::string_view(&c, 1);
  }
  out += "\"}";
}

void AppendFamily(std::string& out, std::string_view name, Kind kind, std::string_view help) {
  out += "# HELP ";
  out += name;
  out += ' ';
  out += help;
  out += "\n# TYPE ";
  out += name;
  out += kind == Kind::kCounter ? " counter\n" : " gauge\n";
}

void AppendSample(std::string& out, std::string_view name, std::string_view label, std::string_view labelValue,
                  double value) {
  out += name;
  AppendLabel(out, label, labelValue);
  out += ' ';
  AppendNumber(out, value);
  out += '\n';
}

struct OwnMetric {
  std::string_view name;
  Kind kind;
  std::string_view help;
  std::uint64_t THostFigures::*count;
};

constexpr std::array<OwnMetric, 7> kOwnCounters{{
    {"helvanta_answers_received_total", Kind::kCounter, "Answer packets received from the inverter.",
     &THostFigures::answersReceived},
    {"helvanta_answers_missed_total", Kind::kCounter, "Requests left without a good answer.",
     &THostFigures::answersMissed},
    {"helvanta_damaged_words_total", Kind::kCounter, "Answers whose data word was damaged.",
     &THostFigures::damagedWords},
    {"helvanta_records_written_total", Kind::kCounter, "Records written to the CSV log.",
     &THostFigures::recordsWritten},
    {"helvanta_marks_skipped_total", Kind::kCounter, "Logging marks that passed without a record.",
     &THostFigures::marksSkipped},
    {"helvanta_reconnects_total", Kind::kCounter, "Openings of the port after the first.", &THostFigures::reconnects},
    {"helvanta_history_rows_written_total", Kind::kCounter, "Minute rows stored in the history database.",
     &THostFigures::historyRowsWritten},
}};

}  // namespace

TMetricsFigures MetricsFigures(std::string port, const THostFigures& host, std::int64_t nowMs) {
  TMetricsFigures figures{std::move(port), {}, host};
  figures.values.reserve(kMeasurandMetrics.size());
  for (const MeasurandMetric& metric : kMeasurandMetrics) {
    const SensorRow* row = RowOfKey(metric.key);
    std::optional<double> value;
    if (row != nullptr) {
      const TMeasurand& m = Measurands[static_cast<std::size_t>(IndexOfRow(row->row))];
      if (IsPresent(m, nowMs)) value = ParseValue(LoggedValue(m), metric.reading);
    }
    if (value) *value = *value * metric.times / metric.per;
    figures.values.push_back(value);
  }
  return figures;
}

std::string MetricsText(const TMetricsFigures& figures) {
  std::string out;
  out.reserve(8 * 1024);
  for (std::size_t i = 0; i < kMeasurandMetrics.size() && i < figures.values.size(); ++i) {
    if (!figures.values[i]) continue;
    const MeasurandMetric& metric = kMeasurandMetrics[i];
    const SensorRow* row = RowOfKey(metric.key);
    AppendFamily(out, metric.name, metric.kind, "The inverter's \"" + (row ? row->name : std::string()) + "\".");
    AppendSample(out, metric.name, "port", figures.port, *figures.values[i]);
  }
  const THostFigures& host = figures.host;
  for (const OwnMetric& metric : kOwnCounters) {
    AppendFamily(out, metric.name, metric.kind, metric.help);
    AppendSample(out, metric.name, "port", figures.port, static_cast<double>(host.*metric.count));
  }
  AppendFamily(out, "helvanta_line_up", Kind::kGauge,
               "1 while the port is open and the inverter answered within the presence window.");
  AppendSample(out, "helvanta_line_up", "port", figures.port, host.lineUp ? 1.0 : 0.0);
  if (host.links.empty()) return out;
  AppendFamily(out, "helvanta_output_connected", Kind::kGauge, "1 while the output reaches its service.");
  for (const TOutputLink& link : host.links) {
    AppendSample(out, "helvanta_output_connected", "output", link.output, link.connected ? 1.0 : 0.0);
  }
  AppendFamily(out, "helvanta_output_last_success_timestamp_seconds", Kind::kGauge,
               "When the output last reached its service, in seconds since 1970 UTC.");
  for (const TOutputLink& link : host.links) {
    if (link.lastSuccessUnix) {
      AppendSample(out, "helvanta_output_last_success_timestamp_seconds", "output", link.output,
                   static_cast<double>(*link.lastSuccessUnix));
    }
  }
  return out;
}

}  // namespace helvanta
