#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "link/measurands.hpp"
#include "year/line_model.hpp"

namespace helvanta::year {

// The value texts the line model put on the line for each measurand, as the service's
// decoder turns them into text, over the last presence window. A 32-bit value is the
// count the inverter held when it was asked for it: sent when either half of it went
// out intact, so a value made of the halves of two different counts is never one of them.
class TSentValues {
 public:
  // An answer that reached the far end of the line at atMs (elapsed milliseconds).
  void Note(const TAnswerSent& answer, std::int64_t atMs);
  // Whether text was sent for the measurand within the presence window before atMs.
  bool Sent(int index, std::string_view text, std::int64_t atMs) const;
  // Each text sent for the measurand within the presence window before atMs.
  void ForEachSent(int index, std::int64_t atMs, const std::function<void(std::string_view text)>& each) const;

 private:
  struct Entry {
    std::int64_t atMs = 0;
    std::string text;
  };
  void Add(int index, std::string text, std::int64_t atMs);

  std::array<std::deque<Entry>, kMeasurandCount> sent_{};
};

// The value text the service's decoder makes of a data word for the measurand, with
// lowWord as the low half of a 32-bit value.
std::string HostValueText(int index, std::string_view word, std::string_view lowWord);

}  // namespace helvanta::year
