#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/host_figures.hpp"

namespace helvanta {

// What /metrics shows, gathered on the main thread at a tick.
struct TMetricsFigures {
  std::string port;                           // the label of every line figure ("COM1")
  std::vector<std::optional<double>> values;  // one per measurand metric; nothing: left out
  THostFigures host;
};

inline constexpr std::string_view kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

// Reads the measurand table, so only the main thread may call it. A measurand without a
// good answer within the presence window at nowMs is left out, not shown as 0.
TMetricsFigures MetricsFigures(std::string port, const THostFigures& host, std::int64_t nowMs);

// The figures in Prometheus' text exposition format (version 0.0.4). Any thread.
std::string MetricsText(const TMetricsFigures& figures);

}  // namespace helvanta
