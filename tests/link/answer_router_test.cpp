// Late answers, chains of them and stray packets against inverters that carry the
// request code at different places, or nowhere: every value must be its own word's.
#include "link/answer_router.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/codec.hpp"
#include "link/measurands.hpp"

namespace helvanta {
namespace {

std::string WordOf(int index) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", 0x1000 + index * 7);
  return text;
}

std::string CodeOf(int index) { return Measurands[static_cast<std::size_t>(index)].Descriptor.substr(0, 4); }

// The 12 characters behind STX, as one kind of inverter answers a request.
using Answer = std::function<std::string(int index, int tick)>;

const Answer kCodeAtTwo = [](int i, int) { return "00" + CodeOf(i) + WordOf(i) + "\x03X"; };
const Answer kCodeAtZero = [](int i, int) { return CodeOf(i) + "00" + WordOf(i) + "\x03X"; };
const Answer kConstant = [](int i, int) { return "X0053?" + WordOf(i) + "XX"; };
const Answer kNoCode = [](int i, int) { return "XXXXXX" + WordOf(i) + "XX"; };
const Answer kStopsEchoing = [](int i, int tick) { return tick < 120 ? kCodeAtTwo(i, tick) : kNoCode(i, tick); };

struct Kind {
  const char* name;
  Answer answer;
  bool late;                          // answers held back (from tick 40 on), chains included
  std::optional<std::size_t> learnt;  // the place known at the end
};

// Every entry that has a value holds the one its own word gives.
std::array<std::string, kMeasurandCount> ExpectedValues() {
  InitMeasurands();
  for (auto& m : Measurands) m.RawWord.clear();
  std::array<std::string, kMeasurandCount> values;
  for (int i = 0; i < kMeasurandCount; ++i) {
    DecodeAnswer("00" + CodeOf(i) + WordOf(i) + "\x03X", i);
    values[static_cast<std::size_t>(i)] = Measurands[static_cast<std::size_t>(i)].Value;
  }
  return values;
}

TEST(AnswerRouter, CreditsEachAnswerToTheRequestItAnswers) {
  const std::array<std::string, kMeasurandCount> expected = ExpectedValues();
  const std::vector<Kind> kinds{
      {"code at the simulator's place", kCodeAtTwo, true, 2},
      {"code at another place", kCodeAtZero, true, 0},
      {"a constant where the code could be", kConstant, false, std::nullopt},
      {"no code", kNoCode, false, std::nullopt},
      {"code until it stops", kStopsEchoing, false, std::nullopt},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    InitMeasurands();
    for (auto& m : Measurands) m.RawWord.clear();
    TAnswerRouter router;
    std::int32_t index = -1;
    std::optional<std::string> held;
    for (int tick = 0; tick < 400; ++tick) {
      BuildRequest(index);
      router.Requested(index);
      std::vector<std::string> line;
      if (held) line.push_back(*std::exchange(held, std::nullopt));
      // Lates in runs of one to three, so that chains occur.
      const bool late = kind.late && tick >= 40 && (tick % 11 < 3 || tick % 17 == 0);
      if (late) {
        held = kind.answer(index, tick);
      } else {
        line.push_back(kind.answer(index, tick));
      }
      // A stray packet with a word in it, once the place is known.
      if (kind.learnt && tick >= 40 && tick % 13 == 0) line.insert(line.begin(), "ZZZZZZ0BADZZ");
      for (const std::string& packet : line) router.Deliver(packet);
      for (int i = 0; i < kMeasurandCount; ++i) {
        const TMeasurand& m = Measurands[static_cast<std::size_t>(i)];
        if (!m.GoodValue.empty()) {
          ASSERT_EQ(m.GoodValue, expected[static_cast<std::size_t>(i)]) << "tick " << tick << ", entry " << i;
        }
      }
    }
    EXPECT_EQ(router.CodeOffset(), kind.learnt);
    if (kind.learnt) {
      EXPECT_GT(router.Dropped(), 20u);
    }
  }
}

TEST(AnswerRouter, WithoutACodeTwoAnswersInOneSecondCreditTheFirstToTheRequestBefore) {
  const std::array<std::string, kMeasurandCount> expected = ExpectedValues();
  InitMeasurands();
  TAnswerRouter router;
  std::int32_t index = 4;
  BuildRequest(index);
  router.Requested(index);  // entry 5: its answer is held back
  BuildRequest(index);
  router.Requested(index);  // entry 6: the held answer and its own arrive
  router.Deliver(kNoCode(5, 0));
  EXPECT_EQ(Measurands[6].RawWord, WordOf(5)) << "one packet so far: the newest request's";
  router.Deliver(kNoCode(6, 0));
  EXPECT_EQ(Measurands[5].Value, expected[5]);
  EXPECT_EQ(Measurands[6].Value, expected[6]);
  // A third packet in the same second is the newest request's again.
  router.Deliver(kNoCode(7, 0));
  EXPECT_EQ(Measurands[5].Value, expected[5]);
  // After the port opened again, no request before the newest is open.
  const std::string sixBefore = Measurands[6].Value;
  router.Reset();
  BuildRequest(index);
  router.Requested(index);
  router.Deliver(kNoCode(1, 0));
  router.Deliver(kNoCode(7, 0));
  EXPECT_EQ(Measurands[6].Value, sixBefore);
  EXPECT_EQ(Measurands[7].Value, expected[7]);
}

TEST(AnswerRouter, WhileLearningALateAnswerAloneGoesToTheRequestItNames) {
  const std::array<std::string, kMeasurandCount> expected = ExpectedValues();
  InitMeasurands();
  TAnswerRouter router;
  std::int32_t index = -1;
  for (int i = 0; i < 5; ++i) {
    BuildRequest(index);
    router.Requested(index);
    router.Deliver(kCodeAtTwo(index, 0));
  }
  ASSERT_FALSE(router.CodeOffset());
  BuildRequest(index);
  router.Requested(index);  // entry 5: held back
  BuildRequest(index);
  router.Requested(index);  // entry 6: only entry 5's answer arrives
  router.Deliver(kCodeAtTwo(5, 0));
  EXPECT_EQ(Measurands[5].Value, expected[5]);
  EXPECT_EQ(Measurands[6].Value, "N/A");
}

TEST(AnswerRouter, CountsAnswersRequestsLeftWithoutOneAndDamagedWords) {
  InitMeasurands();
  TAnswerRouter router;
  std::int32_t index = 0;
  const auto request = [&] {
    BuildRequest(index);
    router.Requested(index);
  };
  request();  // entry 1: answered
  router.Deliver(kNoCode(1, 0));
  request();  // entry 2: a damaged word only
  router.Deliver("XXXXXX12G4XX");
  request();  // entry 3: nothing
  request();  // entry 4: answered; 2 is out of reach now
  router.Deliver(kNoCode(4, 0));
  EXPECT_EQ(router.Counts().received, 3u);
  EXPECT_EQ(router.Counts().damaged, 1u);
  EXPECT_EQ(router.Counts().missed, 1u);
  router.Reset();  // 3 was still open
  EXPECT_EQ(router.Counts().missed, 2u);
}

}  // namespace
}  // namespace helvanta
