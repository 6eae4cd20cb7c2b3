#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "link/measurands.hpp"
#include "sim/pty_port.hpp"
#include "sim/wire.hpp"
#include "support/log_lines.hpp"
#include "support/pty_pair_posix.hpp"
#include "support/sim_process_posix.hpp"
#include "support/temp_folder.hpp"

namespace helvanta::sim::test {
namespace {

constexpr int kAnswerMs = 3000;  // generous for sanitizer builds

// Asks for one code and returns the answer cut from what came back.
std::vector<Answer> Ask(PtyPort& port, const std::string& code) {
  port.Write(Request(code));
  return CutAnswers(port.ReadBytes(13, kAnswerMs));
}

double Scaled(const std::string& code, std::uint32_t raw) {
  for (const MeasurandDefinition& d : MeasurandDefinitions()) {
    if (d.descriptor.substr(0, 4) != code) continue;
    return d.descriptor[4] == '1' ? raw * 0.1 : d.descriptor[4] == '2' ? raw * 0.01 : raw;
  }
  ADD_FAILURE() << "no code " << code;
  return 0;
}

TEST(SimLine, EveryCodeGetsAWellFormedAnswerWithPlausibleNoonValues) {
  testing::TempFolder dir;
  SimProcess sim({"--fast", "--seed", "1", "--start", "13:00:00", "--log", dir.File("sim.log")});
  ASSERT_FALSE(sim.DevicePath().empty());
  PtyPort port(sim.DevicePath());
  std::map<std::string, std::uint16_t> words;
  for (const std::string& code : AllCodes()) {
    const auto answers = Ask(port, code);
    ASSERT_EQ(answers.size(), 1u) << code;
    const Answer& a = answers[0];
    EXPECT_TRUE(a.leading.empty()) << code;
    EXPECT_TRUE(a.WellFramed()) << code;
    EXPECT_EQ(a.frame.substr(1, 2), "00") << code;
    EXPECT_EQ(a.Code(), code);
    ASSERT_TRUE(a.WordIsHex()) << code << " " << a.Word();
    words[code] = a.WordValue();
  }
  auto pair = [&](const char* low, const char* high) {
    return static_cast<std::uint32_t>(words[high]) << 16 | words[low];
  };
  EXPECT_NEAR(Scaled("03E6", words["03E6"]), 231.0, 5.0);          // AC voltage
  EXPECT_NEAR(words["03E4"], 20000, 10);                           // grid period in us
  EXPECT_NEAR(Scaled("03EC", pair("03EA", "03EC")), 950.0, 50.0);  // AC power
  EXPECT_GT(Scaled("03F4", pair("03F2", "03F4")), Scaled("03EC", pair("03EA", "03EC")));
  EXPECT_NEAR(Scaled("03FE", words["03FE"]), 95.0, 1.5);  // efficiency
  EXPECT_EQ(words["0200"] & 0xFF, 1);                     // bus address
  EXPECT_EQ(words["0210"], 0);
  EXPECT_EQ(words["0024"], 0);
  EXPECT_EQ(pair("CFF6", "CFF8"), 85u);  // yesterday: 8.5 kWh
  const std::uint32_t minSec = words["03E0"];
  EXPECT_LT(minSec / 100, 60u);
  EXPECT_LT(minSec % 100, 60u);

  EXPECT_EQ(sim.Stop(SIGTERM), 0);
  const auto log = ReadLog(dir.File("sim.log"));
  ASSERT_EQ(log.size(), 90u);
  for (std::size_t i = 0; i < log.size(); i += 2) {
    EXPECT_EQ(log[i].direction, "rx");
    EXPECT_EQ(log[i].outcome, "ok");
    EXPECT_EQ(log[i + 1].direction, "tx");
    EXPECT_EQ(log[i + 1].code, log[i].code);
    EXPECT_EQ(log[i + 1].outcome, "none");
    EXPECT_EQ(std::stoul(log[i + 1].word, nullptr, 16), words[log[i].code]);
  }
}

TEST(SimLine, NightIsDark) {
  SimProcess sim({"--fast", "--seed", "1", "--start", "02:00:00"});
  ASSERT_FALSE(sim.DevicePath().empty());
  PtyPort port(sim.DevicePath());
  for (const char* code : {"03E6", "03E8", "03EA", "03EC", "03EE", "03F0", "03F2", "03F4", "03FE"}) {
    const auto answers = Ask(port, code);
    ASSERT_EQ(answers.size(), 1u) << code;
    EXPECT_EQ(answers[0].Word(), "0000") << code;
  }
  const auto period = Ask(port, "03E4");
  ASSERT_EQ(period.size(), 1u);
  EXPECT_NEAR(period[0].WordValue(), 20000, 10);
}

TEST(SimLine, MalformedRequestsGetNoAnswerAndAreCounted) {
  testing::TempFolder dir;
  SimProcess sim({"--fast", "--seed", "2", "--log", dir.File("sim.log")});
  ASSERT_FALSE(sim.DevicePath().empty());
  PtyPort port(sim.DevicePath());
  const std::string good = Request("03E6");
  port.Write(RawRequest("0053??", "03E6", '\x03', static_cast<char>(good[12] ^ 1)));  // block check
  port.Write(RawRequest("0063??", "03E6", '\x03'));                                   // prefix
  port.Write(RawRequest("0053??", "03E7", '\x03'));                                   // unknown code
  port.Write(RawRequest("0053??", "03e6", '\x03'));                                   // codes are upper case
  port.Write(RawRequest("0053??", "03E6", '\x04'));                                   // no ETX
  port.Write("\x01\xff junk");                                                        // bytes outside telegrams
  port.Write(good.substr(0, 7));                                                      // broken off by the next STX
  port.Write(good);
  auto answers = CutAnswers(port.ReadUntilQuiet(300, kAnswerMs));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].Code(), "03E6");

  // The block check missing: the request ends with the pause after it.
  port.Write(good.substr(0, 12));
  EXPECT_TRUE(port.ReadUntilQuiet(500, 500).empty());
  port.Write(good);
  answers = CutAnswers(port.ReadBytes(13, kAnswerMs));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_TRUE(answers[0].WellFramed());

  EXPECT_EQ(sim.Stop(SIGTERM), 0);
  std::vector<std::string> results;
  for (const LogLine& l : ReadLog(dir.File("sim.log"))) {
    if (l.direction == "rx") results.push_back(l.outcome);
  }
  EXPECT_EQ(results, (std::vector<std::string>{"bad-bcc", "bad-prefix", "unknown-code", "unknown-code", "bad-etx",
                                               "truncated", "ok", "truncated", "ok"}));
}

TEST(SimLine, AnswersArePacedAtTheLineRateUnlessFast) {
  SimProcess sim({"--seed", "3"});
  ASSERT_FALSE(sim.DevicePath().empty());
  PtyPort port(sim.DevicePath());
  for (int i = 0; i < 3; ++i) {
    const auto sent = std::chrono::steady_clock::now();
    port.Write(Request("03E6"));
    const auto pieces = port.ReadPieces(13, kAnswerMs);
    std::string bytes;
    for (const auto& p : pieces) bytes += p.bytes;
    ASSERT_EQ(bytes.size(), 13u);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(pieces.back().at - sent).count();
    EXPECT_GE(took, 100);  // 13 bytes of 11 bits at 1200 bit/s: about 119 ms
    EXPECT_LT(took, 1000);
    EXPECT_GE(pieces.size(), 5u);
  }

  SimProcess fast({"--seed", "3", "--fast"});
  ASSERT_FALSE(fast.DevicePath().empty());
  PtyPort fastPort(fast.DevicePath());
  const auto sent = std::chrono::steady_clock::now();
  fastPort.Write(Request("03E6"));
  ASSERT_EQ(fastPort.ReadBytes(13, kAnswerMs).size(), 13u);
  EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(100));
}

TEST(SimLine, StopSignalsEndWithStatusZeroAndRemoveTheLink) {
  testing::TempFolder dir;
  for (int signal : {SIGTERM, SIGINT}) {
    const std::string link = dir.File("inverter");
    SimProcess sim({"--fast", "--link", link});
    ASSERT_FALSE(sim.DevicePath().empty());
    ASSERT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link), sim.DevicePath());
    {
      // Open, close and open again: the simulator keeps serving.
      {
        PtyPort first(link);
        ASSERT_EQ(Ask(first, "03E6").size(), 1u);
      }
      {
        PtyPort second(link);
        ASSERT_EQ(Ask(second, "03E8").size(), 1u);
      }
    }
    EXPECT_EQ(sim.Stop(signal), 0) << signal;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))) << signal;
  }
}

TEST(SimLine, StaleLinkIsReplacedButAFileIsNot) {
  testing::TempFolder dir;
  const std::string link = dir.File("inverter");
  std::filesystem::create_symlink("/nonexistent", link);
  {
    SimProcess sim({"--fast", "--link", link});
    ASSERT_FALSE(sim.DevicePath().empty());
    EXPECT_EQ(std::filesystem::read_symlink(link), sim.DevicePath());
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
  }
  const std::string file = dir.File("plain");
  { std::ofstream(file) << "keep"; }
  std::string out;
  EXPECT_EQ(RunToEnd({"--fast", "--link", file}, out), 1);
  EXPECT_TRUE(std::filesystem::is_regular_file(file));
}

TEST(SimLine, HangsUpAfterTheAnswersAskedFor) {
  testing::TempFolder dir;
  const std::string link = dir.File("inverter");
  SimProcess sim({"--fast", "--hangup-after", "3", "--link", link});
  ASSERT_FALSE(sim.DevicePath().empty());
  PtyPort port(sim.DevicePath());
  for (const char* code : {"03E6", "03E8", "03EA"}) ASSERT_EQ(Ask(port, code).size(), 1u) << code;
  pollfd pfd{port.Fd(), POLLIN, 0};
  ASSERT_EQ(poll(&pfd, 1, kAnswerMs), 1);
  EXPECT_NE(pfd.revents & POLLHUP, 0);
  EXPECT_EQ(sim.Wait(kAnswerMs), 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimLine, ServesAnExistingDevice) {
  testing::PtyPair pty;
  ASSERT_TRUE(pty.Ok()) << "no pseudo-terminal";
  const std::string name = pty.SlavePath();
  PtyPort port(pty.ReleaseMaster());
  SimProcess sim({"--fast", "--device", name});
  ASSERT_EQ(sim.DevicePath(), name);
  const auto answers = Ask(port, "9FFF");
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].Word(), "007B");
  EXPECT_EQ(sim.Stop(SIGTERM), 0);

  std::string out;
  EXPECT_EQ(RunToEnd({"--device", "/nonexistent/tty"}, out), 1);
  EXPECT_EQ(RunToEnd({"--device", "/dev/null"}, out), 1);  // not a serial device
}

TEST(SimLine, HelpAndBadOptions) {
  std::string help;
  EXPECT_EQ(RunToEnd({"--help"}, help), 0);
  EXPECT_NE(help.find("--hangup-after"), std::string::npos);
  std::string out;
  EXPECT_EQ(RunToEnd({"--drop", "2"}, out), 2);
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace helvanta::sim::test
