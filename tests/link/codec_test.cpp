#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>
#include <vector>

#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "support/compiled_locale.hpp"

namespace helvanta {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

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
    EXPECT_EQ(t.substr(0, 7),
              "\x02"
              "0053??");
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
  DecodeAnswer(PseudoAnswer, 14);
  const std::vector<std::pair<int, std::string>> expected = {
      {0, "228"},     {2, "2.28"},         {4, "439.37"}, {5, "227.60"}, {6, "22.76"},
      {7, "2276.00"}, {15, "14916221.00"}, {18, "22:76"}, {37, "08E4"},  {41, "2276"},
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
  DecodeAnswer(Packet("5678"), 14);
  EXPECT_EQ(Decode("0012", 15), "120178.40");

  DecodeAnswer(Packet("FFFF"), 7);
  EXPECT_EQ(Decode("FFFF", 8), "-0.01");

  // Working hours: combined, no scale, no decimals.
  DecodeAnswer(Packet("0010"), 16);
  EXPECT_EQ(Decode("0001", 17), "65552");
  EXPECT_EQ(Decode("08e4", 6), "22.76");
}

// Working hours were 65520 (FFF0) a cycle ago and are 65552 (0001 0010) now: the high
// word 0001 with the old low word would make 131056, hours the inverter never counted.
TEST_F(CodecTest, AHighWordCountsOnlyWithTheLowWordAnsweredJustBefore) {
  struct Case {
    std::optional<std::string_view> lowAnswer;
    const char* value;
  };
  for (const Case& c : {Case{std::nullopt, "N/A"}, Case{"08G4", "N/A"}, Case{"0010", "65552"}}) {
    DecodeAnswer(Packet("FFF0"), 16);
    DecodeAnswer(Packet("0000"), 17);
    std::int32_t index = 15;
    BuildRequest(index);
    if (c.lowAnswer) DecodeAnswer(Packet(*c.lowAnswer), 16);
    BuildRequest(index);
    EXPECT_EQ(DecodeAnswer(Packet("0001"), 17), c.lowAnswer == "0010") << c.value;
    EXPECT_EQ(Measurands[17].Value, c.value);
    // The last good value stays what it was until then.
    EXPECT_EQ(Measurands[17].GoodValue, c.lowAnswer == "0010" ? "65552" : "65520");
  }
  // A low word that never came gives no value either.
  InitMeasurands();
  EXPECT_FALSE(DecodeAnswer(Packet("1234"), 15));
  EXPECT_EQ(Measurands[15].Value, "N/A");
}

TEST_F(CodecTest, DamagedWordsAreNoValues) {
  // Each entry had a good answer; a new request is waiting when the damaged one comes.
  const std::vector<std::string> damaged = {"08G4",
                                            "08 4",
                                            "-8E4",
                                            "08\0"
                                            "4"s,
                                            "\0"
                                            "8E4"s,
                                            "3;41",
                                            "\r\n41",
                                            "+123"};
  for (const int index : {0, 5, 15, 18, 37, 38}) {
    for (const std::string& word : damaged) {
      SCOPED_TRACE("index " + std::to_string(index) + " word " + word);
      // The entry before answers first, as the low word of a 32-bit value must.
      DecodeAnswer(Packet("0102"), index - 1);
      DecodeAnswer(Packet("0102"), index);
      const std::string good = Measurands[index].Value;
      std::int32_t requested = index - 1;
      BuildRequest(requested);
      DecodeAnswer(Packet(word), index);
      EXPECT_EQ(Measurands[index].Value, "N/A");
      EXPECT_EQ(Measurands[index].RawWord, "0102");
      EXPECT_EQ(Measurands[index].GoodValue, good);
    }
  }
  // Packets without a whole data word are damaged too; the raw word stays empty.
  for (const std::string_view packet : {"X0053008E"sv, "X00530"sv, ""sv, "X0053008"sv}) {
    DecodeAnswer(packet, 2);
    EXPECT_EQ(Measurands[2].Value, "N/A") << packet;
    EXPECT_EQ(Measurands[2].RawWord, "") << packet;
  }
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

TEST_F(CodecTest, OnlyCharactersSevenToTenCount) {
  // The frame's check byte and the other characters are not examined.
  DecodeAnswer("X0053008E4XXYYYYYY", 6);
  EXPECT_EQ(Measurands[6].Value, "22.76");
  DecodeAnswer(
      "\x01\x02\x03\x04\x05\x06"
      "4E20",
      4);
  EXPECT_EQ(Measurands[4].Value, "50.00");
}

TEST_F(CodecTest, ValueTextsUseAFullStopWhateverTheLocale) {
  const testing::CompiledLocale german("de_DE", "UTF-8");
  const testing::ScopedLocale numbers(LC_NUMERIC, german.Name());
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(Decode("08E4", 5), "227.60");
  EXPECT_EQ(Decode("09E2", 18), "25:30");
}

}  // namespace
}  // namespace helvanta
