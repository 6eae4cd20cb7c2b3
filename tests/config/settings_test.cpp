#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "config/ini_file.hpp"
#include "config/language.hpp"
#include "config/settings.hpp"
#include "runtime/program_folder.hpp"
#include "support/file_bytes.hpp"
#include "support/running_as_root.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::BinaryGarbage;
using testing::ReadBytes;
using testing::RunningAsRoot;
using testing::TempFolder;
using testing::WriteBytes;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramFolder(folder_.Path());
    AppSettings = TAppSettings{};
  }
  void TearDown() override { AppSettings = TAppSettings{}; }

  std::string IniPath() const { return folder_.File("Helvanta.ini"); }
  void WriteIni(const std::string& bytes) const { WriteBytes(IniPath(), bytes); }

  // Loads the file, as start-up does when it exists, and validates.
  void LoadAndValidate() const {
    if (SettingsFileExists()) LoadSettings();
    ValidateSettings();
  }

  void ExpectDefaults() const {
    EXPECT_EQ(AppSettings.ComPort, "COM1");
    EXPECT_EQ(AppSettings.From, "04:30:00");
    EXPECT_EQ(AppSettings.Till, "22:30:00");
    EXPECT_EQ(AppSettings.TemplateFile, folder_.Path() + "Template.csv");
    EXPECT_EQ(AppSettings.OutputFolder, folder_.Path() + "Data");
    EXPECT_EQ(AppSettings.RequestInterval, 4);
    EXPECT_FALSE(AppSettings.ReceivePseudoData);
  }

  TempFolder folder_;
};

TEST_F(SettingsTest, MissingFileGivesDefaultsAndWritesNothing) {
  EXPECT_EQ(SettingsFilePath(), folder_.Path() + "Helvanta.ini");
  EXPECT_FALSE(SettingsFileExists());
  LoadAndValidate();
  ExpectDefaults();

  AppSettings = TAppSettings{};
  LoadSettings();  // even when called without a file
  EXPECT_EQ(AppSettings.ComPort, "COM1");
  EXPECT_EQ(AppSettings.RequestInterval, 4);
  EXPECT_TRUE(folder_.Entries().empty());
}

TEST_F(SettingsTest, ReadsEveryKeyWithoutRegardToCase) {
  WriteIni(
      "[DATA LOGGING]\r\n"
      "comport=COM3\r\n"
      "FROM=05:00:00\r\n"
      "till = 21:15:30 \r\n"
      "templatefile=/srv/t.csv\r\n"
      "OutputFolder=/srv/data\\new\r\n"
      "requestinterval=0x0A\r\n"
      "ReceivePseudoData=2\r\n");
  LoadAndValidate();
  EXPECT_EQ(AppSettings.ComPort, "COM3");
  EXPECT_EQ(AppSettings.From, "05:00:00");
  EXPECT_EQ(AppSettings.Till, "21:15:30");
  EXPECT_EQ(AppSettings.TemplateFile, "/srv/t.csv");
  EXPECT_EQ(AppSettings.OutputFolder, "/srv/data\\new");
  EXPECT_EQ(AppSettings.RequestInterval, 10);
  EXPECT_TRUE(AppSettings.ReceivePseudoData);

  WriteIni("[Data Logging]\nReceivePseudoData=yes\nRequestInterval=ten\n");
  LoadAndValidate();
  EXPECT_FALSE(AppSettings.ReceivePseudoData);
  EXPECT_EQ(AppSettings.RequestInterval, 4);
}

TEST_F(SettingsTest, EmptyKeysReadEmptyAndValidationFillsThem) {
  WriteIni("[Data Logging]\nComPort=\nFrom=\nTill=\nTemplateFile=\nOutputFolder=\nRequestInterval=\n");
  LoadSettings();
  EXPECT_EQ(AppSettings.ComPort, "");
  EXPECT_EQ(AppSettings.From, "");
  EXPECT_EQ(AppSettings.TemplateFile, "");
  EXPECT_EQ(AppSettings.RequestInterval, 4);
  ValidateSettings();
  ExpectDefaults();
}

TEST_F(SettingsTest, ValidatesThePort) {
  const std::pair<const char*, const char*> cases[] = {
      {"COM7", "COM7"},  {"COM3", "COM3"},         {"COM8", "COM1"}, {"COM0", "COM1"},
      {"COM10", "COM1"}, {"COM12", "COM1"},        {"COM", "COM1"},  {"COMX", "COM1"},
      {"", "COM1"},      {"XYZ5", "COM5"},         {"com2", "COM2"}, {"COM6x", "COM6"},
      {"COM9", "COM1"},  {"/dev/ttyUSB0", "COM1"},
  };
  for (const auto& [input, expected] : cases) {
    AppSettings.ComPort = input;
    ValidateSettings();
    EXPECT_EQ(AppSettings.ComPort, expected) << input;
  }
}

TEST_F(SettingsTest, ValidatesTheInterval) {
  for (const int accepted : {1, 2, 3, 4, 5, 6, 10, 15, 30, 60}) {
    AppSettings.RequestInterval = accepted;
    ValidateSettings();
    EXPECT_EQ(AppSettings.RequestInterval, accepted);
  }
  for (const int refused : {12, 20, 0, -5, 7, 120, -60}) {
    AppSettings.RequestInterval = refused;
    ValidateSettings();
    EXPECT_EQ(AppSettings.RequestInterval, 4) << refused;
  }
}

TEST_F(SettingsTest, ValidationLeavesOnlyConvertibleTimes) {
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"06:00:00", "20:00:00", "06:00:00", "20:00:00"},
      {"6:05:00", "20:15", "06:05:00", "20:15:00"},
      {"", "", "04:30:00", "22:30:00"},
      {"25:00:00", "12:60:00", "04:30:00", "22:30:00"},
      {"morning", "22:30:00 ", "04:30:00", "22:30:00"},
      {"00:00:00", "23:59:59", "00:00:00", "23:59:59"},
  };
  for (const auto& [from, till, expectedFrom, expectedTill] : cases) {
    AppSettings.From = from;
    AppSettings.Till = till;
    ValidateSettings();
    EXPECT_EQ(AppSettings.From, expectedFrom) << from;
    EXPECT_EQ(AppSettings.Till, expectedTill) << till;
  }
}

TEST_F(SettingsTest, SaveDialogSettingsWritesTheFiveKeysAndKeepsTheRest) {
  LoadAndValidate();
  AppSettings.ComPort = "COM5";
  AppSettings.From = "05:00:00";
  AppSettings.TemplateFile = "/srv/t.csv";
  ASSERT_TRUE(SaveDialogSettings());
  EXPECT_EQ(ReadBytes(IniPath()),
            "[Data Logging]\nComPort=COM5\nFrom=05:00:00\nTill=22:30:00\nTemplateFile=/srv/t.csv\nOutputFolder=" +
                folder_.Path() + "Data\n");

  WriteIni("; mine\r\n[Window]\r\nTop=3\r\n\r\n[Data Logging]\r\nRequestInterval=15\r\nComPort=COM2\r\n");
  AppSettings.OutputFolder = "/srv/out\\";
  ASSERT_TRUE(SaveDialogSettings());
  EXPECT_EQ(ReadBytes(IniPath()),
            "; mine\r\n[Window]\r\nTop=3\r\n\r\n[Data Logging]\r\nRequestInterval=15\r\nComPort=COM5\r\n"
            "From=05:00:00\r\nTill=22:30:00\r\nTemplateFile=/srv/t.csv\r\nOutputFolder=/srv/out\\\r\n");

  const TAppSettings saved = AppSettings;
  AppSettings = TAppSettings{};
  LoadAndValidate();
  EXPECT_EQ(AppSettings.ComPort, saved.ComPort);
  EXPECT_EQ(AppSettings.From, saved.From);
  EXPECT_EQ(AppSettings.OutputFolder, saved.OutputFolder);
  EXPECT_EQ(AppSettings.RequestInterval, 15);
}

TEST_F(SettingsTest, FailedSavesReportAndLeaveTheFileAsItWas) {
  const std::string old = "[Data Logging]\r\nComPort=COM2\r\n\xe4\r\n";
  WriteIni(old);
  LoadAndValidate();
  AppSettings.ComPort = "COM6";
  ASSERT_EQ(::chmod(IniPath().c_str(), 0444), 0);
  EXPECT_FALSE(SaveDialogSettings());
  EXPECT_FALSE(SaveWindowPlacement(1, 2, false));
  EXPECT_EQ(ReadBytes(IniPath()), old);
  EXPECT_EQ(AppSettings.ComPort, "COM6") << "the running program keeps the new values";

  // A text that would break the file's lines is refused before anything is written.
  ASSERT_EQ(::chmod(IniPath().c_str(), 0644), 0);
  AppSettings.TemplateFile = "/srv/t.csv\n[Ports]\nCOM1=/dev/null";
  EXPECT_FALSE(SaveDialogSettings());
  EXPECT_EQ(ReadBytes(IniPath()), old);

  // A folder in place of the file: it does not count as a settings file, and saving fails.
  std::filesystem::remove(IniPath());
  std::filesystem::create_directory(IniPath());
  EXPECT_FALSE(SettingsFileExists());
  AppSettings.TemplateFile = "/srv/t.csv";
  EXPECT_FALSE(SaveDialogSettings());
  EXPECT_FALSE(SaveWindowPlacement(1, 2, true));
  EXPECT_TRUE(std::filesystem::is_directory(IniPath()));
}

TEST_F(SettingsTest, FailedSaveIntoAReadOnlyFolder) {
  if (RunningAsRoot()) GTEST_SKIP() << "root writes into read-only folders; the folder-in-place case covers failure";
  const std::string old = "[Window]\nTop=3\n";
  WriteIni(old);
  ASSERT_EQ(::chmod(folder_.Path().c_str(), 0555), 0);
  EXPECT_FALSE(SaveDialogSettings());
  EXPECT_FALSE(SaveWindowPlacement(1, 2, false));
  ASSERT_EQ(::chmod(folder_.Path().c_str(), 0755), 0);
  EXPECT_EQ(ReadBytes(IniPath()), old);
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"Helvanta.ini"});
}

TEST_F(SettingsTest, WindowPlacement) {
  WindowPlacement placement = LoadWindowPlacement();
  EXPECT_EQ(placement.Top, 100);
  EXPECT_EQ(placement.Left, 100);
  EXPECT_FALSE(placement.InitMax);

  WriteIni("[Data Logging]\r\nComPort=COM2\r\n\r\n[window]\r\ntop=0x20\r\nLeft=-40\r\nInitMax=7\r\n");
  placement = LoadWindowPlacement();
  EXPECT_EQ(placement.Top, 32);
  EXPECT_EQ(placement.Left, -40);
  EXPECT_TRUE(placement.InitMax);

  // Maximised: only InitMax is written; Top and Left stay as they were.
  ASSERT_TRUE(SaveWindowPlacement(500, 600, true));
  EXPECT_EQ(ReadBytes(IniPath()),
            "[Data Logging]\r\nComPort=COM2\r\n\r\n[window]\r\ntop=0x20\r\nLeft=-40\r\nInitMax=1\r\n");

  ASSERT_TRUE(SaveWindowPlacement(120, 130, false));
  EXPECT_EQ(ReadBytes(IniPath()),
            "[Data Logging]\r\nComPort=COM2\r\n\r\n[window]\r\ntop=120\r\nLeft=130\r\nInitMax=0\r\n");

  // The file deleted while the window runs: closing recreates it with the window keys only.
  std::filesystem::remove(IniPath());
  ASSERT_TRUE(SaveWindowPlacement(120, 130, false));
  EXPECT_EQ(ReadBytes(IniPath()), "[Window]\nTop=120\nLeft=130\nInitMax=0\n");

  // The next start reads the defaults of "Data Logging" from it without complaint.
  ASSERT_TRUE(SettingsFileExists());
  LoadAndValidate();
  ExpectDefaults();
  placement = LoadWindowPlacement();
  EXPECT_EQ(placement.Top, 120);
  EXPECT_EQ(placement.Left, 130);
  EXPECT_FALSE(placement.InitMax);
}

TEST_F(SettingsTest, DeviceForPort) {
  EXPECT_EQ(DeviceForPort("COM1"), "/dev/ttyS0");
  EXPECT_EQ(DeviceForPort("COM7"), "/dev/ttyS6");
  EXPECT_EQ(DeviceForPort("COM9"), "/dev/ttyS8");
  EXPECT_EQ(DeviceForPort("COM10"), "COM10");
  EXPECT_EQ(DeviceForPort("COM0"), "COM0");
  EXPECT_EQ(DeviceForPort("COM"), "COM");
  EXPECT_EQ(DeviceForPort("/dev/pts/3"), "/dev/pts/3");
  EXPECT_EQ(DeviceForPort(""), "");

  WriteIni("[Data Logging]\nComPort=COM3\n[ports]\ncom3 = /dev/ttyUSB0\nCOM4=\n");
  EXPECT_EQ(DeviceForPort("COM3"), "/dev/ttyUSB0");
  EXPECT_EQ(DeviceForPort("com3"), "/dev/ttyUSB0");
  EXPECT_EQ(DeviceForPort("COM4"), "/dev/ttyS3") << "an empty entry falls back to the serial device";
  EXPECT_EQ(DeviceForPort("COM5"), "/dev/ttyS4");
}

TEST_F(SettingsTest, BadFilesGiveDefaultsAndAreNeverWritten) {
  const std::string longLine(1 << 20, 'x');
  const std::string files[] = {
      BinaryGarbage(),
      "[Data Logging]\n" + longLine + "\nComPort=" + longLine + "\nRequestInterval=" + longLine + "\n",
      std::string("[Data Logging]\nComPort=\0COM3\n", 29),
      "\xff\xfe[\x00\x01]\r\r\r==\n[[[]]]=\n",
  };
  for (const std::string& bytes : files) {
    WriteIni(bytes);
    AppSettings = TAppSettings{};
    LoadAndValidate();
    EXPECT_EQ(AppSettings.From, "04:30:00");
    EXPECT_EQ(AppSettings.RequestInterval, 4);
    EXPECT_EQ(AppSettings.ComPort, "COM1");
    EXPECT_EQ(LoadWindowPlacement().Top, 100);
    EXPECT_EQ(ReadBytes(IniPath()), bytes);
  }

  // CR-only line ends and no line end at the end still read.
  WriteIni("[Data Logging]\rComPort=COM4\rRequestInterval=30\r[Window]\rTop=9");
  LoadAndValidate();
  EXPECT_EQ(AppSettings.ComPort, "COM4");
  EXPECT_EQ(AppSettings.RequestInterval, 30);
  EXPECT_EQ(LoadWindowPlacement().Top, 9);

  // A value longer than a read takes is cut, then validated like any other text.
  WriteIni("[Data Logging]\nTemplateFile=" + longLine.substr(0, 4096) + "\n");
  LoadAndValidate();
  EXPECT_EQ(AppSettings.TemplateFile, std::string(2047, 'x'));
}

TEST_F(SettingsTest, UnreadableFileGivesDefaults) {
  if (RunningAsRoot()) GTEST_SKIP() << "root reads any file; the folder-in-place case covers unreadable files";
  const std::string old = "[Data Logging]\nComPort=COM3\n";
  WriteIni(old);
  ASSERT_EQ(::chmod(IniPath().c_str(), 0), 0);
  LoadAndValidate();
  ExpectDefaults();
  ASSERT_EQ(::chmod(IniPath().c_str(), 0644), 0);
  EXPECT_EQ(ReadBytes(IniPath()), old);
}

}  // namespace
}  // namespace helvanta

namespace helvanta {
namespace {

// What start-up reports about each kind of bad Helvanta.ini, as the service writes it.
TEST_F(SettingsTest, BadFilesAndReplacedValuesAreReportedOneWarningEach) {
  const std::string path = folder_.File("Helvanta.ini");
  const std::string tooLarge(kMaxConfigFileSize + 1, ';');
  const std::string unusable = "The configurationfile holds no [Data Logging] settings: " + path + "!\nUsing defaults.";
  const struct {
    std::string file;
    std::vector<std::string> messages;
  } cases[] = {
      {"[Data Logging]\nComPort=COM2\nFrom=5:00:00\nRequestInterval=0x0F\n", {}},
      {"", {unusable}},
      {BinaryGarbage(), {unusable}},
      {"[Other]\nComPort=COM2\n", {unusable}},
      {"[Data Logging]\n" + tooLarge, {"Could not read configurationfile: " + path + "!\nUsing defaults."}},
      {"[Data Logging]\nFrom=25:99:99\nTill=\nRequestInterval=7\nComPort=COM99\n",
       {"Invalid setting replaced by its default: ComPort=COM99 (now COM1)",
        "Invalid setting replaced by its default: From=25:99:99 (now 04:30:00)",
        "Invalid setting replaced by its default: RequestInterval=7 (now 4)"}},
      {"[Data Logging]\nComPort=/dev/ttyUSB0\nTill=late\n",
       {"Invalid setting replaced by its default: ComPort=/dev/ttyUSB0 (now COM1)",
        "Invalid setting replaced by its default: Till=late (now 22:30:00)"}},
  };
  const TLanguageList english;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 60));
    WriteIni(c.file);
    AppSettings = TAppSettings{};
    TSettingsReport report;
    report.file = LoadSettings();
    report.replaced = ValidateSettings();
    EXPECT_EQ(SettingsReportMessages(english, report, "\n"), c.messages);
  }
}

}  // namespace
}  // namespace helvanta
