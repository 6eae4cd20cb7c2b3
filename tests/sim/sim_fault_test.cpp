#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>

#include "sim/pty_port.hpp"
#include "sim/wire.hpp"
#include "support/log_lines.hpp"
#include "support/sim_process_posix.hpp"
#include "support/temp_folder.hpp"

namespace helvanta::sim::test {
namespace {

constexpr int kRequests = 400;

// The code of the n-th request: the table's codes in turn, so neighbours differ.
std::string CodeOf(int n) {
  static const std::vector<std::string> codes = AllCodes();
  return codes[static_cast<std::size_t>(n) % codes.size()];
}

// Sends requests first..first+count-1 back to back and returns everything that came.
std::string SendMany(PtyPort& port, int first, int count) {
  std::string stream;
  for (int n = first; n < first + count; ++n) {
    port.Write(Request(CodeOf(n)));
    stream += port.Drain();
  }
  return stream + port.ReadUntilQuiet(300, 20'000);
}

// A count of events of probability p in n trials lies within five standard deviations.
void ExpectShare(std::size_t count, std::size_t n, double p, const char* what) {
  const double mean = static_cast<double>(n) * p;
  const double spread = 5.0 * std::sqrt(static_cast<double>(n) * p * (1.0 - p));
  EXPECT_NEAR(static_cast<double>(count), mean, spread) << what << " out of " << n;
}

// Which request each answer belongs to, from the code it repeats; -1 where none fits.
std::vector<int> MatchAnswers(const std::vector<Answer>& answers, int requests) {
  std::vector<int> owner;
  int next = 0;
  for (const Answer& a : answers) {
    while (next < requests && CodeOf(next) != a.Code()) ++next;
    owner.push_back(next < requests ? next++ : -1);
  }
  return owner;
}

struct FaultPattern {
  std::vector<bool> answered;
  std::vector<bool> garbled;
  std::vector<std::string> noise;
};

FaultPattern Observe(const std::vector<Answer>& answers, int requests) {
  FaultPattern p{std::vector<bool>(requests), std::vector<bool>(requests), std::vector<std::string>(requests)};
  const std::vector<int> owner = MatchAnswers(answers, requests);
  for (std::size_t i = 0; i < answers.size(); ++i) {
    EXPECT_GE(owner[i], 0) << "answer out of order: " << answers[i].Code();
    if (owner[i] < 0) continue;
    const auto n = static_cast<std::size_t>(owner[i]);
    p.answered[n] = true;
    p.garbled[n] = !answers[i].WordIsHex();
    p.noise[n] = answers[i].leading;
  }
  return p;
}

TEST(SimFaults, DropGarbleAndNoiseComeAtTheRatesAskedAndRepeatWithTheSeed) {
  testing::TempFolder dir;
  const std::vector<std::string> args{"--fast",  "--seed", "11",    "--drop",           "0.25", "--garble", "0.25",
                                      "--noise", "0.25",   "--log", dir.File("sim.log")};
  SimProcess sim(args);
  ASSERT_FALSE(sim.DevicePath().empty());
  PtyPort port(sim.DevicePath());
  std::string rest;
  const std::vector<Answer> answers = CutAnswers(SendMany(port, 0, kRequests), &rest);
  EXPECT_TRUE(rest.empty());

  const std::size_t unanswered = kRequests - answers.size();
  EXPECT_GE(unanswered, 60u);
  EXPECT_LE(unanswered, 140u);
  std::size_t garbled = 0;
  std::size_t noisy = 0;
  for (const Answer& a : answers) {
    EXPECT_TRUE(a.WellFramed());
    if (!a.WordIsHex()) {
      ++garbled;
      int bad = 0;
      for (char c : a.Word()) bad += std::string_view("0123456789ABCDEF").find(c) == std::string_view::npos;
      EXPECT_EQ(bad, 1) << a.Word();
    }
    if (!a.leading.empty()) {
      ++noisy;
      EXPECT_LE(a.leading.size(), 8u);
    }
  }
  ExpectShare(garbled, answers.size(), 0.25, "garbled");
  ExpectShare(noisy, answers.size(), 0.25, "with noise");

  EXPECT_EQ(sim.Stop(SIGTERM), 0);
  std::size_t loggedDrops = 0, loggedGarbles = 0, loggedNoise = 0, loggedSent = 0;
  for (const LogLine& l : ReadLog(dir.File("sim.log"))) {
    loggedDrops += l.direction == "no" && l.outcome == "drop";
    loggedSent += l.direction == "tx";
    loggedGarbles += l.direction == "tx" && l.HasFault("garble");
    loggedNoise += l.direction == "tx" && l.HasFault("noise");
  }
  EXPECT_EQ(loggedDrops, unanswered);
  EXPECT_EQ(loggedSent, answers.size());
  EXPECT_EQ(loggedGarbles, garbled);
  EXPECT_EQ(loggedNoise, noisy);

  // The same seed meets the same requests with the same faults.
  const FaultPattern first = Observe(answers, kRequests);
  SimProcess again(args);
  ASSERT_FALSE(again.DevicePath().empty());
  PtyPort againPort(again.DevicePath());
  const FaultPattern second = Observe(CutAnswers(SendMany(againPort, 0, 100)), 100);
  for (int n = 0; n < 100; ++n) {
    const auto i = static_cast<std::size_t>(n);
    EXPECT_EQ(first.answered[i], second.answered[i]) << n;
    EXPECT_EQ(first.garbled[i], second.garbled[i]) << n;
    EXPECT_EQ(first.noise[i], second.noise[i]) << n;
  }
}

TEST(SimFaults, LateAnswersWaitForTheNextRequest) {
  testing::TempFolder dir;
  SimProcess sim({"--fast", "--seed", "5", "--late", "0.25", "--log", dir.File("sim.log")});
  ASSERT_FALSE(sim.DevicePath().empty());
  PtyPort port(sim.DevicePath());

  // One at a time: note in which round each answer came.
  constexpr int kWatched = 20;
  std::map<std::string, int> roundOf;
  for (int n = 0; n < kWatched; ++n) {
    port.Write(Request(CodeOf(n)));
    for (const Answer& a : CutAnswers(port.ReadUntilQuiet(60, 1000))) roundOf.emplace(a.Code(), n);
  }
  // Then the rest back to back, for the rate.
  std::string stream = SendMany(port, kWatched, kRequests - kWatched);
  const std::vector<Answer> rest = CutAnswers(stream);
  EXPECT_EQ(sim.Stop(SIGTERM), 0);

  // The first answer logged for a code is that of the watched request asking for it.
  std::map<std::string, bool> firstWasLate;
  std::size_t lateCount = 0;
  for (const LogLine& l : ReadLog(dir.File("sim.log"))) {
    if (l.direction != "tx") continue;
    lateCount += l.HasFault("late");
    firstWasLate.emplace(l.code, l.HasFault("late"));
  }
  EXPECT_GE(lateCount, 60u);
  EXPECT_LE(lateCount, 140u);
  int watchedLate = 0;
  for (int n = 0; n + 1 < kWatched; ++n) {
    const std::string code = CodeOf(n);
    if (!firstWasLate[code] || !roundOf.count(code)) continue;
    // A late answer went out only after the following request arrived.
    ++watchedLate;
    EXPECT_GT(roundOf[code], n) << code;
  }
  EXPECT_GT(watchedLate, 0);
  // Holding an answer back never reorders answers.
  const std::vector<int> owner = MatchAnswers(rest, kRequests);
  for (int o : owner) EXPECT_GE(o, 0);
}

TEST(SimFaults, SplitAnswersComeInChunksWithinASecond) {
  testing::TempFolder dir;
  SimProcess sim({"--fast", "--seed", "4", "--split", "--log", dir.File("sim.log")});
  ASSERT_FALSE(sim.DevicePath().empty());
  PtyPort port(sim.DevicePath());
  constexpr int kAnswers = 8;
  std::size_t pieces = 0;
  for (int n = 0; n < kAnswers; ++n) {
    port.Write(Request(CodeOf(n)));
    const auto got = port.ReadPieces(13, 3000);
    ASSERT_FALSE(got.empty());
    std::string bytes;
    for (const auto& p : got) bytes += p.bytes;
    const auto answers = CutAnswers(bytes);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0].WellFramed());
    EXPECT_EQ(answers[0].Code(), CodeOf(n));
    EXPECT_LT(got.back().at - got.front().at, std::chrono::seconds(1));
    pieces += got.size();
  }
  EXPECT_GT(pieces, static_cast<std::size_t>(kAnswers));
  EXPECT_EQ(sim.Stop(SIGTERM), 0);
  for (const LogLine& l : ReadLog(dir.File("sim.log"))) {
    if (l.direction == "tx") {
      EXPECT_TRUE(l.HasFault("split"));
    }
  }
}

}  // namespace
}  // namespace helvanta::sim::test
