#include <gtest/gtest.h>

#include "config/ini_text.hpp"

namespace helvanta {
namespace {

using std::string_literals::operator""s;

TEST(FindIniValue, MatchesSectionsAndKeysWithoutCaseAndTrimsBlanks) {
  const std::string text =
      "ComPort=COM9\n"  // before any section: belongs to none
      "; a comment\n"
      "[Other]\n"
      "ComPort=COM8\n"
      "  [ data logging ]  \n"
      "\tcomport \t=  COM3 \n"
      "COMPORT=COM4\n"
      "From=\n"
      "Till=   \n"
      "TemplateFile=\"C:\\quoted path\"\n"
      "Key with blanks = a = b\n"
      ";OutputFolder=commented\n"
      "no equals sign\n"
      "[Data Logging]\n"
      "RequestInterval=5\n";
  EXPECT_EQ(FindIniValue(text, "Data Logging", "ComPort"), "COM3");
  EXPECT_EQ(FindIniValue(text, "DATA LOGGING", "comPORT"), "COM3");
  EXPECT_EQ(FindIniValue(text, "Other", "ComPort"), "COM8");
  EXPECT_EQ(FindIniValue(text, "Data Logging", "From"), "");
  EXPECT_EQ(FindIniValue(text, "Data Logging", "Till"), "");
  EXPECT_EQ(FindIniValue(text, "Data Logging", "TemplateFile"), "\"C:\\quoted path\"");
  EXPECT_EQ(FindIniValue(text, "Data Logging", "Key with blanks"), "a = b");
  EXPECT_EQ(FindIniValue(text, "Data Logging", "OutputFolder"), std::nullopt);
  EXPECT_EQ(FindIniValue(text, "Data Logging", "no equals sign"), std::nullopt);
  EXPECT_EQ(FindIniValue(text, "Data Logging", "Missing"), std::nullopt);
  EXPECT_EQ(FindIniValue(text, "Missing", "ComPort"), std::nullopt);
  // Only the first section of a name is read.
  EXPECT_EQ(FindIniValue(text, "Data Logging", "RequestInterval"), std::nullopt);
}

TEST(FindIniValue, HandlesEveryLineEndAndCutsLongValues) {
  EXPECT_EQ(FindIniValue("[S]\rA=1\rB=2", "S", "B"), "2");
  EXPECT_EQ(FindIniValue("[S]\r\nA=1\r\nB=2\r\n", "S", "A"), "1");
  EXPECT_EQ(FindIniValue("[S]\n\rA=1", "S", "A"), "1");
  EXPECT_EQ(FindIniValue("[S]", "S", "A"), std::nullopt);
  EXPECT_EQ(FindIniValue("", "S", "A"), std::nullopt);
  EXPECT_EQ(FindIniValue("[S\nA=1\n", "S", "A"), "1") << "a header without ']' still names its section";

  const std::string longValue(5000, 'v');
  EXPECT_EQ(FindIniValue("[S]\nA=" + longValue + "\n", "S", "A"), std::string(kMaxIniValueLength, 'v'));
  EXPECT_EQ(FindIniValue("[S]\nA=ab\0cd\n"s, "S", "A"), "ab");
}

TEST(SetIniValue, ChangesOnlyTheValueOfAnExistingKey) {
  const std::string text =
      "; kept comment\r\n"
      "[Data Logging]\r\n"
      "  ComPort = COM3   \r\n"
      "odd \xff\x01 bytes\r\n"
      "[Window]\r\n"
      "Top=5";
  EXPECT_EQ(SetIniValue(text, "data logging", "COMPORT", "COM5"),
            "; kept comment\r\n"
            "[Data Logging]\r\n"
            "  ComPort =COM5\r\n"
            "odd \xff\x01 bytes\r\n"
            "[Window]\r\n"
            "Top=5");
  EXPECT_EQ(SetIniValue(text, "Window", "Top", "-7"),
            "; kept comment\r\n[Data Logging]\r\n  ComPort = COM3   \r\nodd \xff\x01 bytes\r\n[Window]\r\nTop=-7");
  EXPECT_EQ(SetIniValue("[S]\nA=1\nA=2\n", "S", "a", "3"), "[S]\nA=3\nA=2\n");
}

TEST(SetIniValue, AddsAMissingKeyAtTheEndOfItsSection) {
  EXPECT_EQ(SetIniValue("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "a", "z", "3"), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
  EXPECT_EQ(SetIniValue("[A]\nx=1\n[B]\ny=2", "B", "z", "3"), "[A]\nx=1\n[B]\ny=2\nz=3\n");
  EXPECT_EQ(SetIniValue("[A]", "A", "z", "3"), "[A]\nz=3\n");
  EXPECT_EQ(SetIniValue("[A]\rx=1\r", "A", "z", ""), "[A]\rx=1\rz=\r");
}

TEST(SetIniValue, AddsAMissingSectionAtTheEnd) {
  EXPECT_EQ(SetIniValue("", "Window", "Top", "100"), "[Window]\nTop=100\n");
  EXPECT_EQ(SetIniValue("[A]\r\nx=1\r\n", "Window", "Top", "1"), "[A]\r\nx=1\r\n\r\n[Window]\r\nTop=1\r\n");
  EXPECT_EQ(SetIniValue("[A]\nx=1", "Window", "Top", "1"), "[A]\nx=1\n\n[Window]\nTop=1\n");
  EXPECT_EQ(SetIniValue("[A]\nx=1\n\n", "Window", "Top", "1"), "[A]\nx=1\n\n[Window]\nTop=1\n");
  EXPECT_EQ(SetIniValue("\xff\0garbage"s, "W", "k", "v"), "\xff\0garbage\n\n[W]\nk=v\n"s);
}

TEST(SetIniValue, WrittenValuesReadBack) {
  std::string text = "junk\r\n[Data Logging]\r\nRequestInterval=0x0A\r\n";
  for (const char* key : {"ComPort", "From", "Till", "TemplateFile", "OutputFolder"}) {
    text = SetIniValue(text, "Data Logging", key, std::string(key) + " value");
  }
  text = SetIniValue(text, "Window", "InitMax", "1");
  for (const char* key : {"ComPort", "From", "Till", "TemplateFile", "OutputFolder"}) {
    EXPECT_EQ(FindIniValue(text, "Data Logging", key), std::string(key) + " value");
  }
  EXPECT_EQ(FindIniValue(text, "Data Logging", "RequestInterval"), "0x0A");
  EXPECT_EQ(FindIniValue(text, "Window", "InitMax"), "1");
  EXPECT_EQ(text.rfind("junk\r\n[Data Logging]\r\nRequestInterval=0x0A\r\nComPort=", 0), 0u);
}

TEST(IsWritableIniEntry, RefusesEntriesThatWouldChangeTheFileStructure) {
  EXPECT_TRUE(IsWritableIniEntry("Data Logging", "ComPort", "C:\\a b\\ \"q\" = x"));
  EXPECT_TRUE(IsWritableIniEntry("Window", "Top", ""));
  EXPECT_FALSE(IsWritableIniEntry("Data Logging", "OutputFolder", "/data\n[Window]"));
  EXPECT_FALSE(IsWritableIniEntry("Data Logging", "OutputFolder", "/data\r"));
  EXPECT_FALSE(IsWritableIniEntry("Data Logging", "OutputFolder", "a\0b"s));
  EXPECT_FALSE(IsWritableIniEntry("Data Logging", "", "x"));
  EXPECT_FALSE(IsWritableIniEntry("Data Logging", "a=b", "x"));
  EXPECT_FALSE(IsWritableIniEntry("Data Logging", " Top", "x"));
  EXPECT_FALSE(IsWritableIniEntry("Data Logging", "[Top", "x"));
  EXPECT_FALSE(IsWritableIniEntry("Data Logging", ";Top", "x"));
  EXPECT_FALSE(IsWritableIniEntry("Data] Logging", "Top", "x"));
  EXPECT_FALSE(IsWritableIniEntry("Data\nLogging", "Top", "x"));
}

}  // namespace
}  // namespace helvanta
