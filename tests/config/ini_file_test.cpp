#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "config/ini_file.hpp"
#include "support/file_bytes.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(ParseIniInteger, ReadsDecimalAndPrefixedHexadecimalOnly) {
  EXPECT_EQ(ParseIniInteger("10"), 10);
  EXPECT_EQ(ParseIniInteger("-5"), -5);
  EXPECT_EQ(ParseIniInteger("+7"), 7);
  EXPECT_EQ(ParseIniInteger("0x0A"), 10);
  EXPECT_EQ(ParseIniInteger("0X1f"), 31);
  EXPECT_EQ(ParseIniInteger("0x7FFFFFFF"), 2147483647);
  EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseIniInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseIniInteger("007"), 7);
  for (const char* text : {"", "0x", "0X", "x10", "0x-1", "0x+1", "+-1", "+", "-", "12abc", "1e3", "yes", "2147483648",
                           "-2147483649", "0x80000000", "0x1g", "1 2", "1.5"}) {
    EXPECT_FALSE(ParseIniInteger(text)) << '"' << text << '"';
  }
}

TEST(IniFile, ReadsWithDefaults) {
  TempFolder folder;
  const std::string path = folder.File("Helvanta.ini");
  WriteBytes(path,
             "[Data Logging]\n"
             "RequestInterval=0x0A\n"
             "Bad=ten\n"
             "Empty=\n"
             "Pseudo2=2\n"
             "PseudoYes=yes\n"
             "Pseudo0=0\n");
  const IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("Data Logging", "RequestInterval", 4), 10);
  EXPECT_EQ(ini.ReadInteger("Data Logging", "Bad", 4), 4);
  EXPECT_EQ(ini.ReadInteger("Data Logging", "Empty", 4), 4);
  EXPECT_EQ(ini.ReadInteger("Data Logging", "Missing", 4), 4);
  EXPECT_TRUE(ini.ReadBool("Data Logging", "Pseudo2", false));
  EXPECT_FALSE(ini.ReadBool("Data Logging", "PseudoYes", false));
  EXPECT_TRUE(ini.ReadBool("Data Logging", "PseudoYes", true));
  EXPECT_FALSE(ini.ReadBool("Data Logging", "Pseudo0", true));
  EXPECT_EQ(ini.ReadString("Data Logging", "Empty", "default"), "");
  EXPECT_EQ(ini.ReadString("Data Logging", "Missing", "default"), "default");

  const IniFile missing(folder.File("none.ini"));
  EXPECT_EQ(missing.ReadString("Data Logging", "RequestInterval", "d"), "d");
  EXPECT_FALSE(std::filesystem::exists(folder.File("none.ini"))) << "reading never creates the file";
}

TEST(IniFile, WritesKeepEveryOtherByte) {
  TempFolder folder;
  const std::string path = folder.File("Helvanta.ini");
  const std::string head = "; settings\r\n[data logging]\r\nComPort = COM2\r\nodd=\xe4\xff\x01\r\n";
  const std::string tail = "\r\n[Window]\r\nTop=1\r\n; end without line end";
  WriteBytes(path, head + tail);

  IniFile ini(path);
  ASSERT_TRUE(ini.WriteString("Data Logging", "COMPORT", "COM6"));
  ASSERT_TRUE(ini.WriteInteger("Data Logging", "RequestInterval", -15));
  ASSERT_TRUE(ini.WriteBool("Extra", "InitMax", true));
  EXPECT_EQ(ReadBytes(path),
            "; settings\r\n[data logging]\r\nComPort =COM6\r\nodd=\xe4\xff\x01\r\nRequestInterval=-15\r\n" + tail +
                "\r\n\r\n[Extra]\r\nInitMax=1\r\n");
  EXPECT_EQ(ini.ReadString("Data Logging", "ComPort", ""), "COM6") << "a write is seen by later reads";

  // A second writer's keys survive a write made through an older object.
  IniFile other(path);
  ASSERT_TRUE(other.WriteString("Window", "Left", "7"));
  ASSERT_TRUE(ini.WriteBool("Window", "InitMax", false));
  const IniFile reread(path);
  EXPECT_EQ(reread.ReadInteger("Window", "Left", 0), 7);
  EXPECT_FALSE(reread.ReadBool("Window", "InitMax", true));
  EXPECT_EQ(reread.ReadInteger("Window", "Top", 0), 1);
}

TEST(IniFile, CreatesTheFileOnWriteAndReportsFailures) {
  TempFolder folder;
  const std::string path = folder.File("Helvanta.ini");
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteInteger("Window", "Top", 100));
  EXPECT_EQ(ReadBytes(path), "[Window]\nTop=100\n");

  // A value that would add lines to the file is refused and nothing changes.
  EXPECT_FALSE(ini.WriteString("Data Logging", "OutputFolder", "/data\n[Ports]\nCOM1=/dev/evil"));
  EXPECT_EQ(ReadBytes(path), "[Window]\nTop=100\n");

  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(ini.WriteInteger("Window", "Top", 5));
  EXPECT_EQ(ReadBytes(path), "[Window]\nTop=100\n");

  std::filesystem::create_directory(folder.File("dir.ini"));
  IniFile onFolder(folder.File("dir.ini"));
  EXPECT_EQ(onFolder.ReadInteger("Window", "Top", 3), 3);
  EXPECT_FALSE(onFolder.WriteInteger("Window", "Top", 5));

  IniFile belowFile(path + "/Helvanta.ini");
  EXPECT_FALSE(belowFile.WriteInteger("Window", "Top", 5));
  EXPECT_EQ(ReadBytes(path), "[Window]\nTop=100\n");
}

}  // namespace
}  // namespace helvanta
