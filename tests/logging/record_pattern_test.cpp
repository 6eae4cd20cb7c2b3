#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "link/measurands.hpp"
#include "logging/date_time_separators.hpp"
#include "logging/record_pattern.hpp"

namespace helvanta {
namespace {

class RecordPatternTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitMeasurands();
    // Every value names its entry, so a wrong placeholder shows at once.
    for (int i = 0; i < kMeasurandCount; ++i) Measurands[i].Value = "i" + std::to_string(i);
  }
  const DateTime now_{2026, 12, 7, 14, 4, 0, 0};
  const DateTimeSeparators dots_{'.', ':'};
};

TEST_F(RecordPatternTest, DateTimeAndValuesRightAlignedInTwelve) {
  Measurands[5].Value = "230.00";
  EXPECT_EQ(FillRecordPattern("%date%,%time%,%1%", now_, dots_), "  12.07.2026,    14:04:00,      230.00");
  EXPECT_EQ(FillRecordPattern("%date%", DateTime{2027, 1, 2, 3, 4, 5, 0}, {'/', '-'}), "  01/02/2027");
  EXPECT_EQ(FillRecordPattern("%time%", DateTime{2027, 1, 2, 3, 4, 5, 0}, {'/', '-'}), "    03-04-05");
}

TEST_F(RecordPatternTest, EveryPlaceholderMapsToItsRow) {
  const int indexOfRow[kDisplayRowCount] = {5,  6,  8,  9,  10, 12, 13, 17, 18, 15, 20, 22, 24, 26, 28, 30,
                                            32, 34, 36, 43, 3,  2,  1,  4,  39, 40, 41, 42, 37, 38, 0,  44};
  for (int row = 0; row < kDisplayRowCount; ++row) {
    const std::string placeholder = "%" + std::to_string(row + 1) + "%";
    std::string expected = "i" + std::to_string(indexOfRow[row]);
    expected.insert(0, kLogFieldWidth - expected.size(), ' ');
    EXPECT_EQ(FillRecordPattern(placeholder, now_, dots_), expected) << placeholder;
  }
}

TEST_F(RecordPatternTest, OnlyExactPlaceholdersAreReplacedAndAllOccurrences) {
  EXPECT_EQ(FillRecordPattern("%33%;%0%;%DATE%;%Time%;%1;1%;%%", now_, dots_), "%33%;%0%;%DATE%;%Time%;%1;1%;%%");
  EXPECT_EQ(FillRecordPattern("%1%%1%", now_, dots_), "          i5          i5");
  EXPECT_EQ(FillRecordPattern("\"%10%\"", now_, dots_), "\"         i15\"");
  EXPECT_EQ(FillRecordPattern("", now_, dots_), "");
  EXPECT_EQ(FillRecordPattern("%01%;%1%%", now_, dots_), "%01%;          i5%");
}

TEST_F(RecordPatternTest, AValueReceivedFromTheLineIsNeverExpandedAgain) {
  // The error registers are shown as received, so noise can put a placeholder there.
  Measurands[37].Value = "%1%";
  Measurands[38].Value = "%date%";
  EXPECT_EQ(FillRecordPattern("%29%;%30%;%1%", now_, dots_), "         %1%;      %date%;          i5");
}

TEST_F(RecordPatternTest, LongValuesAreNotCut) {
  Measurands[5].Value = "123456789012345";
  Measurands[6].Value = "123456789012";
  Measurands[8].Value = "1.5";
  EXPECT_EQ(FillRecordPattern("%1%|%2%|%3%", now_, dots_), "123456789012345|123456789012|         1.5");
}

TEST(DateTimeSeparatorsTest, SeparatorOfFormat) {
  EXPECT_EQ(SeparatorOfFormat("%m/%d/%y", '?'), '/');
  EXPECT_EQ(SeparatorOfFormat("%d.%m.%Y", '?'), '.');
  EXPECT_EQ(SeparatorOfFormat("%Y-%m-%d", '?'), '-');
  EXPECT_EQ(SeparatorOfFormat("%H:%M:%S", '?'), ':');
  EXPECT_EQ(SeparatorOfFormat("%OH.%EM", '?'), '.');
  EXPECT_EQ(SeparatorOfFormat("%-d %B", '?'), ' ');
  EXPECT_EQ(SeparatorOfFormat("%F", '?'), '?');
  EXPECT_EQ(SeparatorOfFormat("", '?'), '?');
  EXPECT_EQ(SeparatorOfFormat("%", '?'), '?');
}

TEST(DateTimeSeparatorsTest, TakenFromTheLocaleUnlessSet) {
  const std::string previous = std::setlocale(LC_TIME, nullptr);
  ASSERT_NE(std::setlocale(LC_TIME, "C"), nullptr);
  SetDateTimeSeparators(std::nullopt);
  EXPECT_EQ(CurrentDateTimeSeparators().date, '/');
  EXPECT_EQ(CurrentDateTimeSeparators().time, ':');

  SetDateTimeSeparators(DateTimeSeparators{'-', '.'});
  EXPECT_EQ(CurrentDateTimeSeparators().date, '-');
  EXPECT_EQ(CurrentDateTimeSeparators().time, '.');
  SetDateTimeSeparators(std::nullopt);

  const bool german = std::setlocale(LC_TIME, "de_DE.UTF-8") != nullptr;
  const DateTimeSeparators fromGerman = CurrentDateTimeSeparators();
  std::setlocale(LC_TIME, previous.c_str());
  if (!german) GTEST_SKIP() << "de_DE.UTF-8 is not installed; the C locale part passed";
  EXPECT_EQ(fromGerman.date, '.');
  EXPECT_EQ(fromGerman.time, ':');
}

}  // namespace
}  // namespace helvanta
