#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace helvanta::sim::test {

// One line of the simulator's --log file.
struct LogLine {
  std::string wallTime;
  std::string simTime;
  std::string direction;  // rx, tx or no
  std::string code;
  std::string word;
  std::string outcome;  // result of a request, faults of an answer
  std::optional<std::uint64_t> total;

  bool HasFault(const std::string& name) const;
};

// Reads the file, skipping remarks; a line that does not parse fails the test.
std::vector<LogLine> ReadLog(const std::string& path);

}  // namespace helvanta::sim::test
