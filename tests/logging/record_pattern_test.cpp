#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "link/measurands.hpp"
#include "logging/date_time_separators.hpp"
#include "logging/record_pattern.hpp"
#include "support/compiled_locale.hpp"

namespace helvanta {
namespace {

class RecordPatternTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitMeasurands();
    // Every value names its entry, so a wrong placeholder shows at once.
    for (int i = 0; i < kMeasurandCount; ++i) Measurands[i].Value = std::string("i").append(std::to_string(i));
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
    const std::string placeholder = std::string("%").append(std::to_string(row + 1)).append("%");
    std::string expected = std::string("i").append(std::to_string(indexOfRow[row]));
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
  // Control characters never reach the file, so a record is always one line; the
  // template's own stay.
  Measurands[37].Value = "0\r\n1";
  Measurands[38].Value = std::string("\x7f\0\t", 3);
  EXPECT_EQ(FillRecordPattern("%29%;%30%\t", now_, dots_), "        0??1;         ???\t");
  // While the newest request waits, the last good value stands in.
  Measurands[5].Value = "N/A";
  Measurands[5].GoodValue = "227.60";
  EXPECT_EQ(FillRecordPattern("%1%", now_, dots_), "      227.60");
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
  const testing::CompiledLocale german("de_DE", "UTF-8");
  {
    const testing::ScopedLocale c(LC_TIME, "C");
    SetDateTimeSeparators(std::nullopt);
    EXPECT_EQ(CurrentDateTimeSeparators().date, '/');
    EXPECT_EQ(CurrentDateTimeSeparators().time, ':');

    SetDateTimeSeparators(DateTimeSeparators{'-', '.'});
    EXPECT_EQ(CurrentDateTimeSeparators().date, '-');
    EXPECT_EQ(CurrentDateTimeSeparators().time, '.');
    SetDateTimeSeparators(std::nullopt);
  }
  const testing::ScopedLocale time(LC_TIME, german.Name());
  EXPECT_EQ(CurrentDateTimeSeparators().date, '.');
  EXPECT_EQ(CurrentDateTimeSeparators().time, ':');
}

}  // namespace
}  // namespace helvanta
