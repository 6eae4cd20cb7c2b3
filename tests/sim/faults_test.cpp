#include "sim/faults.hpp"

#include <gtest/gtest.h>

#include "sim/output_plan.hpp"

namespace helvanta::sim {
namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

TEST(SimFaults, RatesHoldAndTheSeedRepeats) {
  FaultInjector a({0.25, 0.5, 0.1, 0.0, false}, 42);
  FaultInjector b({0.25, 0.5, 0.1, 0.0, false}, 42);
  int drop = 0, garble = 0, noise = 0, late = 0, same = 0;
  constexpr int kDraws = 10'000;
  for (int i = 0; i < kDraws; ++i) {
    const AnswerFaults f = a.Decide();
    const AnswerFaults g = b.Decide();
    drop += f.drop;
    garble += f.garble;
    noise += f.noise;
    late += f.late;
    same += f.drop == g.drop && f.garble == g.garble && f.noise == g.noise;
  }
  EXPECT_NEAR(drop, 2500, 200);
  EXPECT_NEAR(garble, 5000, 250);
  EXPECT_NEAR(noise, 1000, 150);
  EXPECT_EQ(late, 0);
  EXPECT_EQ(same, kDraws);
}

TEST(SimFaults, FaultNames) {
  AnswerFaults f;
  EXPECT_EQ(f.Names(), "none");
  f.garble = f.late = true;
  EXPECT_EQ(f.Names(), "garble,late");
  f.drop = true;
  EXPECT_EQ(f.Names(), "drop");
}

TEST(SimFaults, GarbleNoiseAndSplitStayInTheirBounds) {
  FaultInjector faults({0, 0, 0, 0, true}, 1);
  for (int i = 0; i < 500; ++i) {
    std::string word = "08E4";
    faults.Garble(word);
    int bad = 0;
    for (std::size_t k = 0; k < 4; ++k) bad += !IsHex(word[k]);
    EXPECT_EQ(bad, 1) << word;

    const std::string noise = faults.NoiseBytes();
    EXPECT_GE(noise.size(), 1u);
    EXPECT_LE(noise.size(), static_cast<std::size_t>(FaultInjector::kMaxNoiseBytes));
    EXPECT_EQ(noise.find('\x02'), std::string::npos);

    const auto plan = faults.SplitPlan(13);
    ASSERT_GE(plan.size(), 1u);
    ASSERT_LE(plan.size(), 3u);
    for (std::size_t k = 0; k < plan.size(); ++k) {
      EXPECT_GE(plan[k].offset, 1u);
      EXPECT_LE(plan[k].offset, 12u);
      if (k > 0) {
        EXPECT_GT(plan[k].offset, plan[k - 1].offset);
      }
      EXPECT_GT(plan[k].pauseMicros, 0);
      EXPECT_LE(plan[k].pauseMicros, FaultInjector::kMaxSplitPauseMicros);
    }
  }
}

TEST(SimOutputPlan, PacedBytesAndSplitChunks) {
  const std::string frame(13, 'x');
  const OutputPlan fast = PlanOutput(frame, 1000, false, {});
  ASSERT_EQ(fast.pieces.size(), 1u);
  EXPECT_EQ(fast.pieces[0].dueMicros, 1000);
  EXPECT_EQ(fast.pieces[0].bytes, frame);

  const OutputPlan paced = PlanOutput(frame, 0, true, {});
  ASSERT_EQ(paced.pieces.size(), 13u);
  EXPECT_EQ(paced.pieces[1].dueMicros, 9166);
  EXPECT_EQ(paced.pieces[12].dueMicros, ByteMicros(12));
  EXPECT_EQ(paced.endMicros, ByteMicros(13));
  EXPECT_GT(paced.endMicros, 119'000);  // 13 bytes of 11 bits at 1200 bit/s
  EXPECT_LT(paced.endMicros, 120'000);

  const OutputPlan split = PlanOutput(frame, 0, false, {{4, 50'000}, {9, 20'000}});
  ASSERT_EQ(split.pieces.size(), 3u);
  EXPECT_EQ(split.pieces[0].bytes.size(), 4u);
  EXPECT_EQ(split.pieces[1].dueMicros, 50'000);
  EXPECT_EQ(split.pieces[1].bytes.size(), 5u);
  EXPECT_EQ(split.pieces[2].dueMicros, 70'000);
  EXPECT_EQ(split.pieces[2].bytes.size(), 4u);
}

}  // namespace
}  // namespace helvanta::sim
