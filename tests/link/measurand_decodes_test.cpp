// Every entry's request code, scale flag and combine flag, checked through what the
// codec makes of one fixed answer. The expected texts are worked out by hand from the
// inverter's list of measurands, not taken from the program's own table.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/codec.hpp"
#include "link/measurands.hpp"

namespace helvanta {
namespace {

// The answer word 0164 is 356 (low byte 64 = 100); every entry is preceded by the low
// word 0054, so an entry that combines reads 01640054 = 23330900. Scale 0.1 and 0.01
// then give 35.60 and 3.56 alone, 2333090.00 and 233309.00 combined.
constexpr std::string_view kWord = "0164";
constexpr std::string_view kLowWord = "0054";

struct ExpectedDecode {
  int index;
  std::string_view requestCode;
  std::string_view value;
};

constexpr std::array<ExpectedDecode, kMeasurandCount> kExpected{{
    {0, "0200", "100"},      // low byte, whole number
    {1, "0201", "100.00"},   // low byte
    {2, "0203", "1.00"},     // low byte x 0.01
    {3, "0204", "1.00"},     // low byte x 0.01
    {4, "03E4", "2808.99"},  // 1 000 000 / 356 us
    {5, "03E6", "35.60"},     {6, "03E8", "3.56"},        {7, "03EA", "356.00"},      {8, "03EC", "233309.00"},
    {9, "03EE", "35.60"},     {10, "03F0", "3.56"},       {11, "03F2", "356.00"},     {12, "03F4", "233309.00"},
    {13, "03F6", "35.60"},    {14, "03F8", "356.00"},     {15, "03FA", "2333090.00"}, {16, "03DC", "356.00"},
    {17, "03DE", "23330900"},  // combined, whole number
    {18, "03E0", "3:56"},      // minutes:seconds
    {19, "CFE2", "356.00"},   {20, "CFE4", "2333090.00"}, {21, "CFF6", "356.00"},     {22, "CFF8", "2333090.00"},
    {23, "CFFA", "356.00"},   {24, "CFFC", "2333090.00"}, {25, "CFDE", "356.00"},     {26, "CFE0", "2333090.00"},
    {27, "CFEE", "356.00"},   {28, "CFF0", "2333090.00"}, {29, "CFF2", "356.00"},     {30, "CFF4", "2333090.00"},
    {31, "CFDA", "356.00"},   {32, "CFDC", "2333090.00"}, {33, "CFE6", "356.00"},     {34, "CFE8", "2333090.00"},
    {35, "CFEA", "356.00"},   {36, "CFEC", "2333090.00"}, {37, "0210", "0164"},  // hexadecimal as received
    {38, "0024", "0164"},                                                        // hexadecimal as received
    {39, "03FC", "3.56"},     {40, "CFD4", "3.56"},       {41, "CFD2", "356"},   // whole number
    {42, "CF24", "356"},                                                         // whole number
    {43, "03FE", "35.60"},    {44, "9FFF", "3.56"},
}};

TEST(MeasurandDecodes, EveryEntryAsksForItsCodeAndScalesAndCombinesItsAnswer) {
  InitMeasurands();
  const std::string packet = "X00530" + std::string(kWord) + "XX";
  for (const ExpectedDecode& expected : kExpected) {
    std::int32_t index = expected.index - 1;
    const std::string telegram = BuildRequest(index);
    ASSERT_EQ(index, expected.index);
    EXPECT_EQ(telegram.substr(7, 4), expected.requestCode) << "index " << expected.index;

    if (expected.index > 0) Measurands[static_cast<std::size_t>(expected.index - 1)].RawWord = kLowWord;
    DecodeAnswer(packet, expected.index);
    EXPECT_EQ(Measurands[static_cast<std::size_t>(expected.index)].Value, expected.value) << "index " << expected.index;
  }
}

}  // namespace
}  // namespace helvanta
