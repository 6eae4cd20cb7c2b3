#include "support/log_lines.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace helvanta::sim::test {

bool LogLine::HasFault(const std::string& name) const {
  std::stringstream faults(outcome);
  std::string f;
  while (std::getline(faults, f, ',')) {
    if (f == name) return true;
  }
  return false;
}

std::vector<LogLine> ReadLog(const std::string& path) {
  std::vector<LogLine> lines;
  std::ifstream in(path);
  std::string text;
  while (std::getline(in, text)) {
    if (text.empty() || text[0] == '#') continue;
    std::istringstream fields(text);
    LogLine l;
    std::string extra;
    fields >> l.wallTime >> l.simTime >> l.direction >> l.code >> l.word >> l.outcome;
    EXPECT_FALSE(fields.fail()) << "log line: " << text;
    if (fields >> extra) {
      EXPECT_TRUE(extra.starts_with("total=")) << "log line: " << text;
      if (extra.starts_with("total=")) l.total = std::stoull(extra.substr(6));
    }
    lines.push_back(l);
  }
  return lines;
}

}  // namespace helvanta::sim::test
