#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace helvanta::sim {

struct SimOptions {
  std::string device;              // empty: create a pseudo-terminal
  std::string link;                // symlink to the device, removed on exit
  std::string log;                 // one line per telegram received and answer sent
  std::optional<int> startSecond;  // simulated time of day at start, seconds after midnight
  std::optional<std::uint64_t> seed;
  double speed = 1.0;  // simulated seconds per real second
  bool fast = false;   // no pacing at the line rate
  bool split = false;
  double drop = 0.0;
  double garble = 0.0;
  double noise = 0.0;
  double late = 0.0;
  std::optional<std::uint64_t> hangupAfter;
  bool help = false;
};

// A command line the simulator cannot run with; the text says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name; throws UsageError.
SimOptions ParseOptions(const std::vector<std::string>& args);

}  // namespace helvanta::sim
