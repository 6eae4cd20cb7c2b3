#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "link/codec.hpp"
#include "link/measurands.hpp"

namespace helvanta {
namespace {

using namespace std::string_literals;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

// An answer packet (the 12 characters behind STX) carrying the given data word.
std::string Packet(std::string_view word) { return "X00530"s + std::string(word) + "XX"; }

class CodecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitMeasurands();
    for (int i = 0; i < kMeasurandCount; ++i) Measurands[i].RawWord.clear();
  }

  static std::string Decode(std::string_view word, int index) {
    DecodeAnswer(Packet(word), index);
    return Measurands[index].Value;
  }
};

TEST_F(CodecTest, WorkedRequests) {
  std::int32_t index = -1;
  EXPECT_EQ(BuildRequest(index), Bytes({0x02, 0x30, 0x30, 0x35, 0x33, 0x3F, 0x3F, 0x30, 0x32, 0x30, 0x30, 0x03, 0x05}));
  EXPECT_EQ(index, 0);

  index = 4;
  EXPECT_EQ(BuildRequest(index), Bytes({0x02, 0x30, 0x30, 0x35, 0x33, 0x3F, 0x3F, 0x30, 0x33, 0x45, 0x36, 0x03, 0x77}));
  EXPECT_EQ(index, 5);
}

TEST_F(CodecTest, IndexWrapsAfterAFullCycleAndEveryTelegramIsWellFormed) {
  std::int32_t index = -1;
  for (int n = 0; n < 2 * kMeasurandCount; ++n) {
    const std::string t = BuildRequest(index);
    ASSERT_EQ(index, n % kMeasurandCount);
    ASSERT_EQ(t.size(), 13u);
    EXPECT_EQ(t.substr(0, 7), "\x02" "0053??");
    EXPECT_EQ(t.substr(7, 4), Measurands[index].Descriptor.substr(0, 4));
    EXPECT_EQ(t[11], '\x03');
    char check = 0;
    for (int b = 0; b < 12; ++b) check = static_cast<char>(check ^ t[b]);
    EXPECT_EQ(t[12], check) << "index " << index;
  }

  index = 44;
  BuildRequest(index);
  EXPECT_EQ(index, 0);
  index = 1000;
  BuildRequest(index);
  EXPECT_EQ(index, 0);
  // An index the hosts never produce starts the cycle again instead of reaching
  // outside the table.
  index = -7;
  BuildRequest(index);
  EXPECT_EQ(index, 0);
}

TEST_F(CodecTest, RequestMarksTheEntryNotAvailable) {
  DecodeAnswer(PseudoAnswer, 5);
  ASSERT_EQ(Measurands[5].Value, "227.60");
  std::int32_t index = 4;
  BuildRequest(index);
  EXPECT_EQ(Measurands[5].Value, "N/A");
  EXPECT_EQ(Measurands[5].RawWord, "08E4");
}

TEST_F(CodecTest, PseudoAnswerValues) {
  ASSERT_EQ(PseudoAnswer, "X0053008E4XX");
  Measurands[14].RawWord = "08E4";
  const std::vector<std::pair<int, std::string>> expected = {
      {0, "228"},   {2, "2.28"},  {4, "439.37"},      {5, "227.60"}, {6, "22.76"},
      {7, "2276.00"}, {15, "14916221.00"}, {18, "22:76"}, {37, "08E4"}, {41, "2276"},
  };
  for (const auto& [index, text] : expected) {
    DecodeAnswer(PseudoAnswer, index);
    EXPECT_EQ(Measurands[index].Value, text) << "index " << index;
    EXPECT_EQ(Measurands[index].RawWord, "08E4") << "index " << index;
  }
}

TEST_F(CodecTest, FrequencyFromPeriod) {
  EXPECT_EQ(Decode("4E20", 4), "50.00");
  EXPECT_EQ(Decode("0000", 4), "0.00");
  EXPECT_EQ(Decode("0001", 4), "1000000.00");
  EXPECT_EQ(Decode("FFFF", 4), "15.26");
}

TEST_F(CodecTest, IndexBoundDecoding) {
  EXPECT_EQ(Decode("09E2", 18), "25:30");
  EXPECT_EQ(Decode("0173", 2), "1.15");
  EXPECT_EQ(Decode("0173", 0), "115");
  EXPECT_EQ(Decode("FF73", 1), "115.00");
  EXPECT_EQ(Decode("0173", 3), "1.15");
  EXPECT_EQ(Measurands[3].RawWord, "0173");
  // Whole numbers: bus address, working hours and the two error counters.
  EXPECT_EQ(Decode("1234", 41), "4660");
  EXPECT_EQ(Decode("1234", 42), "4660");
  EXPECT_EQ(Decode("00ff", 38), "00ff");
  EXPECT_EQ(Decode("1234", 44), "46.60");
}

TEST_F(CodecTest, CombinedWords) {
  Measurands[14].RawWord = "5678";
  EXPECT_EQ(Decode("0012", 15), "120178.40");

  Measurands[14].RawWord.clear();
  EXPECT_EQ(Decode("1234", 15), "466.00");

  DecodeAnswer(Packet("FFFF"), 7);
  EXPECT_EQ(Decode("FFFF", 8), "-0.01");

  // Working hours: combined, no scale, no decimals.
  Measurands[16].RawWord = "0010";
  EXPECT_EQ(Decode("0001", 17), "65552");
  // The low word of the preceding entry comes from its last answer, whatever it was.
  DecodeAnswer(Packet("08G4"), 16);
  EXPECT_EQ(Decode("0001", 17), "0");
}

TEST_F(CodecTest, NonHexadecimalWordDecodesAsZero) {
  EXPECT_EQ(Decode("08G4", 5), "0.00");
  EXPECT_EQ(Decode("08G4", 0), "0");
  EXPECT_EQ(Decode("08G4", 18), "0:00");
  EXPECT_EQ(Decode("08G4", 37), "08G4");
  EXPECT_EQ(Measurands[37].RawWord, "08G4");
  EXPECT_EQ(Decode("08 4", 6), "0.00");
  EXPECT_EQ(Decode("-8E4", 6), "0.00");
  EXPECT_EQ(Decode("08e4", 6), "22.76");
  // A NUL ends the digits.
  EXPECT_EQ(Decode("08\0" "4"s, 6), "0.08");
  EXPECT_EQ(Decode("\0" "8E4"s, 6), "0.00");
}

TEST_F(CodecTest, PacketsWhileNoRequestWasBuiltOrOutsideTheTableAreIgnored) {
  DecodeAnswer(PseudoAnswer, -1);
  DecodeAnswer(PseudoAnswer, -2);
  DecodeAnswer(PseudoAnswer, 45);
  DecodeAnswer(PseudoAnswer, 49);
  DecodeAnswer(PseudoAnswer, 1 << 30);
  for (int i = 0; i < kMeasurandSlots; ++i) {
    EXPECT_TRUE(Measurands[i].RawWord.empty()) << i;
    if (i < kMeasurandCount) {
      EXPECT_EQ(Measurands[i].Value, "N/A") << i;
    }
  }
}

TEST_F(CodecTest, ShortAndLongPackets) {
  // A packet without a whole data word keeps what it has as the raw word and reads
  // as a failed conversion.
  DecodeAnswer("X0053008E", 5);
  EXPECT_EQ(Measurands[5].RawWord, "08E");
  EXPECT_EQ(Measurands[5].Value, "0.00");
  DecodeAnswer("X0053008E", 37);
  EXPECT_EQ(Measurands[37].Value, "08E");
  DecodeAnswer("X00530", 0);
  EXPECT_EQ(Measurands[0].RawWord, "");
  EXPECT_EQ(Measurands[0].Value, "0");
  DecodeAnswer("", 18);
  EXPECT_EQ(Measurands[18].Value, "0:00");
  DecodeAnswer("X0053008", 2);
  EXPECT_EQ(Measurands[2].Value, "0.00");

  // A short low word does not make a smaller number either.
  Measurands[14].RawWord = "56";
  EXPECT_EQ(Decode("0012", 15), "0.00");

  // Only characters 7 to 10 count; the frame's check byte is not examined.
  DecodeAnswer("X0053008E4XXYYYYYY", 6);
  EXPECT_EQ(Measurands[6].Value, "22.76");
  DecodeAnswer("\x01\x02\x03\x04\x05\x06" "4E20", 4);
  EXPECT_EQ(Measurands[4].Value, "50.00");
}

TEST_F(CodecTest, ValueTextsUseAFullStopWhateverTheLocale) {
  const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8"};
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  const char* chosen = nullptr;
  for (const char* name : candidates) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  const std::string five = Decode("08E4", 5);
  const std::string eighteen = Decode("09E2", 18);
  std::setlocale(LC_NUMERIC, previous.c_str());
  EXPECT_EQ(five, "227.60") << chosen;
  EXPECT_EQ(eighteen, "25:30") << chosen;
}

}  // namespace
}  // namespace helvanta
