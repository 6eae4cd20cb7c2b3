#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "sim/telegram.hpp"

namespace helvanta::sim {

// What the simulator received and answered in one run.
struct SimStats {
  std::uint64_t received = 0;
  std::map<RequestResult, std::uint64_t> malformed;
  std::uint64_t answered = 0;
  std::uint64_t dropped = 0;
  std::uint64_t garbled = 0;
  std::uint64_t noisy = 0;
  std::uint64_t late = 0;
  std::uint64_t skippedBytes = 0;

  std::uint64_t MalformedCount() const;
  // One line for standard error at the end of a run.
  std::string Summary() const;
};

}  // namespace helvanta::sim
