#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "web/http_response.hpp"

namespace helvanta {

class THistoryReader;
struct THistoryRow;

// /api/day?date=YYYY-MM-DD: the local day's minutes in time order as [local minute of
// the day, AC power W, DC power W, day's energy kWh, UTC offset min] (null where a value
// is unknown), so the repeated hour of an autumn night comes twice with two offsets;
// with the day's "start" and "end" in local time with offset (23 or 25 hours apart on a
// changeover day) and then its "change", the first minute of the new offset.
// &since=K gives only the minutes after the one of a row whose local minute less its
// offset is K: a page that holds the day asks for the new rows alone.
// Today's series is kept between requests and extended by the rows added since, never
// read whole again; with gzip it is compressed once for each new row. Any thread may
// call it, each with a reader of its own.
class TDayAnswers {
 public:
  struct TRequest {
    std::optional<std::string_view> date = std::nullopt;
    std::optional<std::string_view> since = std::nullopt;
    std::string_view today = {};  // YYYY-MM-DD
    bool gzip = false;            // the client takes gzip
  };

  THttpResponse Answer(THistoryReader& reader, const TRequest& request);

 private:
  // Rows as JSON arrays joined by commas, with where each begins.
  struct TRows {
    std::string text;
    std::vector<std::pair<std::int64_t, std::size_t>> starts;  // the UTC minute less the day's first local one
    void Add(const THistoryRow& row, std::int64_t firstMinute);
    // The rows after the key (all without one).
    std::string_view After(std::optional<std::int64_t> key) const;
  };

  std::mutex mutex_;  // today's rows
  std::string today_;
  std::string path_;
  TRows rows_;
  std::string gzip_;
  std::size_t gzipRows_ = 0;  // the rows gzip_ holds
};

// /api/energy?month=YYYY-MM: [day, kWh] of each day with an energy;
// /api/energy?year=YYYY: [month, kWh] of each month with one. Exactly one of the two.
THttpResponse EnergyAnswer(THistoryReader& reader, std::optional<std::string_view> month,
                           std::optional<std::string_view> year);

}  // namespace helvanta
