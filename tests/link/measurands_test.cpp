#include <gtest/gtest.h>

#include <set>
#include <string>

#include "link/codec.hpp"
#include "link/measurands.hpp"

namespace helvanta {
namespace {

// The table as it stands right after the first fill of this process, taken before any
// test can decode an answer.
struct FirstFill {
  bool allValuesNotAvailable = true;
  bool allRawWordsEmpty = true;
};
const FirstFill kFirstFill = [] {
  InitMeasurands();
  FirstFill f;
  for (int i = 0; i < kMeasurandCount; ++i) {
    f.allValuesNotAvailable = f.allValuesNotAvailable && Measurands[i].Value == "N/A";
    f.allRawWordsEmpty = f.allRawWordsEmpty && Measurands[i].RawWord.empty();
  }
  return f;
}();

TEST(MeasurandsTest, FirstFillLeavesEveryValueNotAvailableAndNoRawWord) {
  EXPECT_TRUE(kFirstFill.allValuesNotAvailable);
  EXPECT_TRUE(kFirstFill.allRawWordsEmpty);
}

TEST(MeasurandsTest, FillSetsDescriptorsAndLeavesSpareSlotsAlone) {
  InitMeasurands();
  const auto& defs = MeasurandDefinitions();
  for (int i = 0; i < kMeasurandCount; ++i) {
    EXPECT_EQ(Measurands[i].Descriptor, defs[i].descriptor) << i;
    EXPECT_EQ(Measurands[i].Descriptor.size(), 8u) << i;
  }
  EXPECT_EQ(Measurands[0].Descriptor, "02000030");
  EXPECT_EQ(Measurands[7].Descriptor, "03EA00-1");
  EXPECT_EQ(Measurands[15].Descriptor, "03FA1109");
  EXPECT_EQ(Measurands[44].Descriptor, "9FFF2031");
  for (int i = kMeasurandCount; i < kMeasurandSlots; ++i) {
    EXPECT_TRUE(Measurands[i].Descriptor.empty()) << i;
    EXPECT_TRUE(Measurands[i].Value.empty()) << i;
  }
}

TEST(MeasurandsTest, RefillResetsValuesButKeepsRawWords) {
  InitMeasurands();
  DecodeAnswer("X005301234XX", 9);
  DecodeAnswer(PseudoAnswer, 41);
  ASSERT_EQ(Measurands[41].Value, "2276");
  InitMeasurands();
  EXPECT_EQ(Measurands[9].Value, "N/A");
  EXPECT_EQ(Measurands[41].Value, "N/A");
  EXPECT_EQ(Measurands[9].RawWord, "1234");
  EXPECT_EQ(Measurands[41].RawWord, "08E4");
}

TEST(MeasurandsTest, RequestMarksOnlyItsOwnEntry) {
  InitMeasurands();
  std::int32_t index = 6;
  BuildRequest(index);
  DecodeAnswer(PseudoAnswer, index);
  ASSERT_EQ(index, 7);
  BuildRequest(index);
  ASSERT_EQ(index, 8);
  EXPECT_EQ(Measurands[8].Value, "N/A");
  EXPECT_EQ(Measurands[7].Value, "2276.00");
}

TEST(MeasurandsTest, DisplayRowsCoverEachRowOnceAndThirteenEntriesAreHidden) {
  // Row <- index, as the window and the log read them.
  const int expectedIndexOfRow[kDisplayRowCount] = {5,  6,  8,  9,  10, 12, 13, 17, 18, 15, 20, 22, 24, 26, 28, 30,
                                                    32, 34, 36, 43, 3,  2,  1,  4,  39, 40, 41, 42, 37, 38, 0,  44};
  const std::set<int> hidden = {7, 11, 14, 16, 19, 21, 23, 25, 27, 29, 31, 33, 35};
  const auto& defs = MeasurandDefinitions();
  std::set<int> rowsSeen;
  int hiddenCount = 0;
  for (int i = 0; i < kMeasurandCount; ++i) {
    const int row = DisplayRow(defs[i].descriptor);
    if (row == -1) {
      ++hiddenCount;
      EXPECT_TRUE(hidden.count(i)) << i;
      EXPECT_EQ(defs[i].descriptor.substr(6), "-1") << i;
      EXPECT_TRUE(defs[i].caption.empty()) << i;
      continue;
    }
    EXPECT_TRUE(rowsSeen.insert(row).second) << "row " << row << " twice";
    EXPECT_EQ(expectedIndexOfRow[row], i) << "row " << row;
  }
  EXPECT_EQ(hiddenCount, 13);
  EXPECT_EQ(rowsSeen.size(), 32u);
  for (int row = 0; row < kDisplayRowCount; ++row) EXPECT_EQ(IndexOfRow(row), expectedIndexOfRow[row]);
  EXPECT_EQ(IndexOfRow(-1), -1);
  EXPECT_EQ(IndexOfRow(32), -1);
}

TEST(MeasurandsTest, CombinedEntriesFollowTheirLowWordTwoCodesBelow) {
  const std::set<int> combined = {8, 12, 15, 17, 20, 22, 24, 26, 28, 30, 32, 34, 36};
  const auto& defs = MeasurandDefinitions();
  for (int i = 0; i < kMeasurandCount; ++i) {
    const bool flag = defs[i].descriptor[5] == '1';
    EXPECT_EQ(flag, combined.count(i) == 1) << i;
    if (!flag) continue;
    const auto& low = defs[i - 1].descriptor;
    EXPECT_EQ(DisplayRow(low), -1) << i;
    const int high = std::stoi(std::string(defs[i].descriptor.substr(0, 4)), nullptr, 16);
    EXPECT_EQ(std::stoi(std::string(low.substr(0, 4)), nullptr, 16), high - 2) << i;
  }
}

TEST(MeasurandsTest, DescriptorsHoldOnlyKnownFlags) {
  for (const auto& d : MeasurandDefinitions()) {
    EXPECT_NE(std::string_view("012").find(d.descriptor[4]), std::string_view::npos) << d.descriptor;
    EXPECT_NE(std::string_view("01").find(d.descriptor[5]), std::string_view::npos) << d.descriptor;
    for (char c : d.descriptor.substr(0, 4)) {
      EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << d.descriptor;
    }
  }
}

TEST(MeasurandsTest, RowCaptionsAndUnits) {
  EXPECT_EQ(RowCaption(0), "Voltage (AC)");
  EXPECT_EQ(RowUnit(0), "V");
  EXPECT_EQ(RowCaption(6), "Cooler temperature");
  EXPECT_EQ(RowUnit(6),
            "\xB0"
            "C");
  EXPECT_EQ(RowCaption(7), "Workingtime");
  EXPECT_EQ(RowUnit(7), "h");
  EXPECT_EQ(RowCaption(8), "Workingtime");
  EXPECT_EQ(RowUnit(8), "min:sec");
  EXPECT_EQ(RowCaption(9), "Work - Total");
  EXPECT_EQ(RowUnit(9), "kWh");
  EXPECT_EQ(RowCaption(19), "Efficiency");
  EXPECT_EQ(RowUnit(19), "%");
  EXPECT_EQ(RowCaption(20), "Voltagelimit (AC) min");
  EXPECT_EQ(RowUnit(20), "");
  EXPECT_EQ(RowCaption(23), "Frequency");
  EXPECT_EQ(RowUnit(23), "Hz");
  EXPECT_EQ(RowCaption(27), "Count of fequence errors");
  EXPECT_EQ(RowUnit(27), "");
  EXPECT_EQ(RowCaption(28), "Error specification");
  EXPECT_EQ(RowUnit(28), "hex");
  EXPECT_EQ(RowCaption(30), "Busaddress");
  EXPECT_EQ(RowCaption(31), "Version");
  EXPECT_EQ(RowUnit(31), "");
  EXPECT_EQ(RowCaption(-1), "");
  EXPECT_EQ(RowCaption(32), "");
  EXPECT_EQ(RowUnit(1000), "");
}

TEST(MeasurandsTest, DisplayRowOfOddDescriptors) {
  EXPECT_EQ(DisplayRow("03E61000"), 0);
  EXPECT_EQ(DisplayRow("9FFF2031"), 31);
  EXPECT_EQ(DisplayRow("03EA00-1"), -1);
  EXPECT_EQ(DisplayRow("03EA0099"), -1);
  EXPECT_EQ(DisplayRow("03EA00"), -1);
  EXPECT_EQ(DisplayRow(""), -1);
}

}  // namespace
}  // namespace helvanta
