#include <poll.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

#include "link/measurands.hpp"
#include "runtime/date_time.hpp"
#include "sim/pty_port.hpp"
#include "sim/wire.hpp"
#include "support/log_lines.hpp"
#include "support/sim_process_posix.hpp"
#include "support/temp_folder.hpp"

namespace helvanta::sim::test {
namespace {

// Pairs of (low-word code, high-word code) from the table's combine flags.
std::vector<std::pair<std::string, std::string>> Pairs() {
  std::vector<std::pair<std::string, std::string>> pairs;
  const auto& defs = MeasurandDefinitions();
  for (std::size_t i = 1; i < defs.size(); ++i) {
    if (defs[i].descriptor[5] == '1') {
      pairs.emplace_back(defs[i - 1].descriptor.substr(0, 4), defs[i].descriptor.substr(0, 4));
    }
  }
  return pairs;
}

std::map<std::string, std::uint16_t> AskAll(PtyPort& port, const std::vector<std::string>& codes) {
  std::map<std::string, std::uint16_t> words;
  for (const std::string& code : codes) port.Write(Request(code));
  const auto answers = CutAnswers(port.ReadBytes(13 * codes.size(), 5000));
  EXPECT_EQ(answers.size(), codes.size());
  for (const Answer& a : answers) {
    EXPECT_TRUE(a.WellFramed() && a.WordIsHex()) << a.Code();
    words[a.Code()] = a.WordValue();
  }
  return words;
}

// A code that is no half of a pair: asking it touches no latch.
std::string UnpairedCode(const std::vector<std::pair<std::string, std::string>>& pairs) {
  for (const auto& def : MeasurandDefinitions()) {
    const std::string code(def.descriptor.substr(0, 4));
    const bool inPair = std::any_of(pairs.begin(), pairs.end(),
                                    [&](const auto& pair) { return pair.first == code || pair.second == code; });
    if (!inPair) return code;
  }
  return {};
}

std::int64_t SimMilliseconds(const std::string& timestamp) {
  DateTime t;
  EXPECT_EQ(std::sscanf(timestamp.c_str(), "%d-%d-%dT%d:%d:%d.%d", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                        &t.second, &t.millisecond),
            7)
      << timestamp;
  return ToEpochMilliseconds(t);
}

// The simulator's clock as its log shows it for the last line written.
std::int64_t LoggedSimMilliseconds(const std::string& logPath) {
  const std::vector<LogLine> lines = ReadLog(logPath);
  return lines.empty() ? 0 : SimMilliseconds(lines.back().simTime);
}

// Asks `code` until the simulator's own clock, as its log shows it, has run `minutes`
// simulated minutes on; whether it did within the time.
bool WaitForSimMinutes(PtyPort& port, const std::string& code, const std::string& logPath, int minutes) {
  const std::int64_t target = LoggedSimMilliseconds(logPath) + minutes * 60'000;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    port.Write(Request(code));
    if (CutAnswers(port.ReadBytes(13, 5000)).size() != 1) return false;
    if (LoggedSimMilliseconds(logPath) >= target) return true;
    // Paces the questions: the log would otherwise grow by thousands of lines a second.
    poll(nullptr, 0, 20);
  }
  return false;
}

TEST(SimCounters, HighWordFetchedASecondAfterItsLowWordRecombinesToTheTotal) {
  testing::TempFolder dir;
  // Ten simulated minutes pass between the halves, a second of the wall clock.
  SimProcess sim({"--fast", "--seed", "8", "--start", "11:00:00", "--speed", "600", "--log", dir.File("sim.log")});
  ASSERT_FALSE(sim.DevicePath().empty());
  PtyPort port(sim.DevicePath());
  const auto pairs = Pairs();
  ASSERT_EQ(pairs.size(), 13u);
  std::vector<std::string> lows, highs;
  for (const auto& [low, high] : pairs) {
    lows.push_back(low);
    highs.push_back(high);
  }
  const std::string unpaired = UnpairedCode(pairs);
  ASSERT_FALSE(unpaired.empty());
  auto words = AskAll(port, lows);
  ASSERT_TRUE(WaitForSimMinutes(port, unpaired, dir.File("sim.log"), 10));
  for (const auto& [code, word] : AskAll(port, highs)) words[code] = word;
  // Fresh halves, fetched together, to see what moved in that second.
  auto fresh = AskAll(port, lows);
  for (const auto& [code, word] : AskAll(port, highs)) fresh[code] = word;
  EXPECT_EQ(sim.Stop(SIGTERM), 0);

  std::map<std::string, std::uint64_t> loggedTotal;  // first total logged per code
  for (const LogLine& l : ReadLog(dir.File("sim.log"))) {
    if (l.direction == "tx" && l.total) loggedTotal.emplace(l.code, *l.total);
  }
  bool anyMoved = false;
  for (const auto& [low, high] : pairs) {
    const std::uint32_t combined = static_cast<std::uint32_t>(words[high]) << 16 | words[low];
    EXPECT_EQ(loggedTotal[high], combined) << high;
    EXPECT_EQ(loggedTotal[low], combined) << low;
    const std::uint32_t later = static_cast<std::uint32_t>(fresh[high]) << 16 | fresh[low];
    anyMoved = anyMoved || later != combined;
    if (high == "03FA" || high == "03DE") {
      EXPECT_GE(later, combined) << high;  // total energy, hours
    }
  }
  EXPECT_TRUE(anyMoved);
  const std::uint32_t total = static_cast<std::uint32_t>(words["03FA"]) << 16 | words["03F8"];
  EXPECT_GT(total, 0xFFFFu);  // the high word takes part
  const std::uint32_t acPower = static_cast<std::uint32_t>(words["03EC"]) << 16 | words["03EA"];
  EXPECT_GT(acPower, 80'000u);  // 800 W in 0.01 W before noon
  EXPECT_LT(acPower, 100'000u);
}

}  // namespace
}  // namespace helvanta::sim::test
