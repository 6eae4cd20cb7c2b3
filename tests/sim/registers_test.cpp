#include "sim/registers.hpp"

#include <gtest/gtest.h>

#include <set>

#include "sim/register_bank.hpp"

namespace helvanta::sim {
namespace {

TEST(SimRegisters, EveryCodeOfTheTableIsAnsweredAndPairsAreSplit) {
  const RegisterMap map;
  ASSERT_EQ(map.All().size(), 45u);
  std::set<std::string> codes;
  int low = 0;
  int high = 0;
  for (const Register& r : map.All()) {
    codes.insert(r.code);
    EXPECT_EQ(map.Find(r.code), &r);
    if (r.half == Half::Low) {
      ++low;
      ASSERT_LT(r.index + 1, 45);
      const Register& next = map.All()[static_cast<std::size_t>(r.index + 1)];
      EXPECT_EQ(next.half, Half::High) << r.code;
      EXPECT_EQ(next.quantity, r.quantity) << r.code;
    }
    if (r.half == Half::High) ++high;
  }
  EXPECT_EQ(codes.size(), 45u);
  EXPECT_EQ(low, 13);
  EXPECT_EQ(high, 13);
  EXPECT_EQ(map.Find("03e6"), nullptr);
  EXPECT_EQ(map.Find("0000"), nullptr);
}

TEST(SimRegisters, WordsInTheInvertersUnits) {
  InverterState s;
  s.periodMicroseconds = 20000.4;
  s.acVoltage = 230.06;
  s.acPower = 953.9;
  s.coolerTemperature = -3.0;
  s.workingSeconds = 297'000'000 + 25 * 60 + 30;  // ... hours, 25 minutes, 30 seconds
  EXPECT_EQ(RawValue(Quantity::Period, s), 20000u);
  EXPECT_EQ(RawValue(Quantity::AcVoltage, s), 2301u);
  EXPECT_EQ(RawValue(Quantity::AcPower, s), 95390u);
  EXPECT_EQ(RawValue(Quantity::CoolerTemperature, s), 0u);  // no wrap-around below zero
  EXPECT_EQ(RawValue(Quantity::WorkingHours, s), 82500u);
  EXPECT_EQ(RawValue(Quantity::WorkingMinutesSeconds, s), 2530u);
  EXPECT_EQ(RawValue(Quantity::BusAddress, s) & 0xFF, 1u);
  EXPECT_EQ(RawValue(Quantity::CurrentLimit, s) & 0xFF, 100u);
  EXPECT_EQ(RawValue(Quantity::VoltageLimitMax, s) & 0xFF, 110u);
  EXPECT_EQ(RawValue(Quantity::VoltageLimitMin, s) & 0xFF, 85u);
  EXPECT_EQ(RawValue(Quantity::BusAddress, s) >> 8, kStatusByte);
}

TEST(SimRegisterBank, HighWordBelongsToTheLatchedLowWord) {
  const DayModel model(9);
  const RegisterMap map;
  RegisterBank bank(model);
  const Register& low = *map.Find("03F8");   // total energy, low word
  const Register& high = *map.Find("03FA");  // and its high word
  const DateTime morning{2024, 6, 1, 9, 0, 0, 0};
  const DateTime evening{2024, 6, 1, 19, 0, 0, 0};

  const Reading l = bank.Read(low, morning, 0);
  const Reading h = bank.Read(high, evening, 1'000'000);
  ASSERT_TRUE(l.total && h.total);
  EXPECT_EQ(*h.total, *l.total);
  EXPECT_EQ((static_cast<std::uint32_t>(h.word) << 16) | l.word, *l.total);
  EXPECT_EQ(*l.total, model.At(morning).workTotal);

  // Too long after its low word, or without one, the high word is read afresh.
  bank.Read(low, morning, 10'000'000);
  const Reading stale = bank.Read(high, evening, 10'000'000 + RegisterBank::kLatchMicros + 1);
  EXPECT_EQ(*stale.total, model.At(evening).workTotal);
  const Reading again = bank.Read(high, evening, 10'000'000 + RegisterBank::kLatchMicros + 2);
  EXPECT_EQ(*again.total, model.At(evening).workTotal);

  const Reading whole = bank.Read(*map.Find("9FFF"), morning, 0);
  EXPECT_FALSE(whole.total.has_value());
  EXPECT_EQ(whole.word, 123);
}

}  // namespace
}  // namespace helvanta::sim
