#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "config/language.hpp"
#include "runtime/program_folder.hpp"
#include "support/file_bytes.hpp"
#include "support/running_as_root.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using std::string_literals::operator""s;
using testing::BinaryGarbage;
using testing::RunningAsRoot;
using testing::TempFolder;
using testing::WriteBytes;

TEST(BuiltinTexts, HoldEveryKeyOnce) {
  std::set<std::string_view> keys;
  std::string_view previous;
  for (const BuiltinTextEntry& entry : BuiltinTexts()) {
    EXPECT_TRUE(keys.insert(entry.key).second) << entry.key;
    EXPECT_LT(previous, entry.key);
    EXPECT_FALSE(entry.text.empty()) << entry.key;
    EXPECT_EQ(BuiltinText(entry.key), entry.text);
    previous = entry.key;
  }
  std::set<std::string_view> expected;
  std::vector<std::string> names;
  for (const auto& [first, last] : {std::pair{1, 9},
                                    {1001, 1013},
                                    {2001, 2030},
                                    {3001, 3012},
                                    {4001, 4014},
                                    {4015, 4034},
                                    {4040, 4060},
                                    {4070, 4075},
                                    {4080, 4085},
                                    {4090, 4099},
                                    {4100, 4104},
                                    {4110, 4112},
                                    {4200, 4216}}) {
    for (int key = first; key <= last; ++key) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%04d", key);
      names.emplace_back(buf);
    }
  }
  for (const std::string& name : names) expected.insert(name);
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(BuiltinText("2031"), "");
  EXPECT_EQ(BuiltinText("1"), "");
}

TEST(BuiltinTexts, AreTheSystemsOwnWording) {
  EXPECT_EQ(BuiltinText("0001"), "Welcome to Helvanta 1.2 for Siemens SPN1000!");
  EXPECT_EQ(BuiltinText("0002"), "Connected to Siemens SPN1000.");
  EXPECT_EQ(BuiltinText("0006"), "Could not open configurationfile: %s!\\nUsing defaults.");
  EXPECT_EQ(BuiltinText("0008"), "Could not save data to: %s!\\nDisk full or write protected!");
  EXPECT_EQ(BuiltinText("0009"), "Could not save settings to %s!\\nDisk full or write protected!");
  EXPECT_EQ(BuiltinText("1009"), "About...");
  EXPECT_EQ(kBuiltinAboutHint, "About");
  EXPECT_EQ(BuiltinText("1013"), "Time");
  EXPECT_EQ(BuiltinText("2001"), "Voltage (AC)");
  EXPECT_EQ(BuiltinText("2008"), "Workingtime");
  EXPECT_EQ(BuiltinText("2009"), "Workingtime");
  EXPECT_EQ(BuiltinText("2028"), "Count of fequence errors");
  EXPECT_EQ(BuiltinText("2030"), "Error state");
  EXPECT_EQ(BuiltinText("3006"), "Example: C:\\Program Files\\Helvanta\\Template.csv");
  EXPECT_EQ(BuiltinText("3012"), "Please choose output folder:");
}

TEST(LanguageList, ReadsLinesAsTheyStand) {
  TLanguageList list;
  EXPECT_TRUE(list.Empty());
  list.LoadFromText(
      "[Deutsch]\r\n"
      "1001=Datei\r\n"
      "1001=Second\n"
      "1002 =Verbinden\r"
      "1003= Trennen \n"
      "1004=\n"
      "abc=lower\r\n"
      "ABC=upper\r\n"
      "no equals sign 1005\n"
      "1006=a=b\n"
      "1007=\xe4\xf6\xfc\n"
      "1008=last line without end");
  EXPECT_FALSE(list.Empty());
  EXPECT_EQ(list.LookupText("1001"), "Datei");
  EXPECT_EQ(list.LookupText("1002"), "") << "a blank before '=' makes another key";
  EXPECT_EQ(list.LookupText("1002 "), "Verbinden");
  EXPECT_EQ(list.LookupText("1003"), " Trennen ");
  EXPECT_EQ(list.LookupText("1004"), "");
  EXPECT_EQ(list.LookupText("ABC"), "lower");
  EXPECT_EQ(list.LookupText("1005"), "");
  EXPECT_EQ(list.LookupText("no equals sign 1005"), "");
  EXPECT_EQ(list.LookupText("1006"), "a=b");
  EXPECT_EQ(list.LookupText("1007"), "\xe4\xf6\xfc");
  EXPECT_EQ(list.LookupText("1008"), "last line without end");
  EXPECT_EQ(list.LookupText("[Deutsch]"), "");

  list.LoadFromText(
      "1001=A\r\r1002=B\n\n1003=C\0"
      "1004=D\n"s);
  EXPECT_EQ(list.LookupText("1001"), "A");
  EXPECT_EQ(list.LookupText("1002"), "B");
  EXPECT_EQ(list.LookupText("1003"), "C");
  EXPECT_EQ(list.LookupText("1004"), "") << "a zero byte ends the text";
}

TEST(LanguageList, FilesThatCannotBeUsedLeaveTheListEmpty) {
  TempFolder folder;
  SetProgramFolder(folder.Path());
  EXPECT_EQ(LanguageFilePath(), folder.Path() + "Helvanta.lng");

  TLanguageList list;
  WriteBytes(LanguageFilePath(), "1001=Datei\r\n");
  list.LoadFromFile(LanguageFilePath());
  EXPECT_EQ(list.LookupText("1001"), "Datei");

  std::filesystem::remove(LanguageFilePath());
  list.LoadFromFile(LanguageFilePath());
  EXPECT_TRUE(list.Empty()) << "a missing file replaces what was loaded before";

  std::filesystem::create_directory(LanguageFilePath());
  list.LoadFromFile(LanguageFilePath());
  EXPECT_TRUE(list.Empty());
  std::filesystem::remove(LanguageFilePath());

  WriteBytes(LanguageFilePath(), BinaryGarbage());
  list.LoadFromFile(LanguageFilePath());
  EXPECT_EQ(ComposeKeyMessage(list, "0003", "", " "), "Connection closed.");

  const std::string longLine((1 << 20) - 20, 'y');
  WriteBytes(LanguageFilePath(), "1001=" + longLine + "\r1002=Verbinden");
  EXPECT_EQ(list.LoadFromFile(LanguageFilePath()), FileReadStatus::kOk);
  EXPECT_EQ(list.LookupText("1001"), longLine);
  EXPECT_EQ(list.LookupText("1002"), "Verbinden");
  // Over 1 MiB the file counts as unreadable, and the caller hears why.
  WriteBytes(LanguageFilePath(), "1002=Verbinden\r" + longLine + longLine);
  EXPECT_EQ(list.LoadFromFile(LanguageFilePath()), FileReadStatus::kTooLarge);
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"Helvanta.lng"}) << "loading never writes";
}

TEST(LanguageList, UnreadableFileLeavesTheListEmpty) {
  if (RunningAsRoot()) GTEST_SKIP() << "root reads any file; the folder-in-place case covers unreadable files";
  TempFolder folder;
  const std::string path = folder.File("Helvanta.lng");
  WriteBytes(path, "1001=Datei\n");
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  TLanguageList list;
  list.LoadFromText("1001=old");
  list.LoadFromFile(path);
  EXPECT_TRUE(list.Empty());
}

TEST(ComposeMessage, FillsTheArgumentAndBreaksLines) {
  EXPECT_EQ(ComposeMessage("Could not open configurationfile: %s!\\nUsing defaults.", "/opt/h/Helvanta.ini", " "),
            "Could not open configurationfile: /opt/h/Helvanta.ini! Using defaults.");
  EXPECT_EQ(ComposeMessage("a\\nb\\n", "", "\r\n"), "a\r\nb\r\n");
  EXPECT_EQ(ComposeMessage("%s and %s", "x", ""), "x and x");
  EXPECT_EQ(ComposeMessage("no argument", "x", " "), "no argument");
  EXPECT_EQ(ComposeMessage("Could not open template file: %s!", "", " "), "Could not open template file: %s!")
      << "an empty argument leaves the marker";
  EXPECT_EQ(ComposeMessage("%s", "%s%s", " "), "%s%s") << "the argument is not scanned again";
  EXPECT_EQ(ComposeMessage("%S \\N %", "x", " "), "%S \\N %") << "markers are case-sensitive";
  EXPECT_EQ(ComposeMessage("", "x", " "), "");
}

TEST(ComposeMessage, KeepsBackslashNInsideTheArgument) {
  EXPECT_EQ(ComposeMessage("Could not open template file: %s!", "C:\\new\\Template.csv", " "),
            "Could not open template file: C:\\new\\Template.csv!");
  EXPECT_EQ(
      ComposeMessage("Could not save data to: %s!\\nDisk full or write protected!", "/data\\new/260101.csv", "\r\n"),
      "Could not save data to: /data\\new/260101.csv!\r\nDisk full or write protected!");
  EXPECT_EQ(ComposeMessage("\\%s", "n", " "), "\\n") << "a marker made up with the argument is no marker";
}

TEST(ComposeKeyMessage, TakesANonEmptyTranslation) {
  TLanguageList list;
  EXPECT_EQ(ComposeKeyMessage(list, "0006", "/h/Helvanta.ini", " "),
            "Could not open configurationfile: /h/Helvanta.ini! Using defaults.");

  list.LoadFromText("0006=Keine Einstellungen.\\nStandard.\n0007=%s fehlt, %s!\n0008=\n0002=Verbunden.");
  EXPECT_EQ(ComposeKeyMessage(list, "0006", "/h/Helvanta.ini", " "), "Keine Einstellungen. Standard.");
  EXPECT_EQ(ComposeKeyMessage(list, "0007", "/t.csv", " "), "/t.csv fehlt, /t.csv!");
  EXPECT_EQ(ComposeKeyMessage(list, "0008", "/d.csv", "\r\n"),
            "Could not save data to: /d.csv!\r\nDisk full or write protected!");
  EXPECT_EQ(ComposeKeyMessage(list, "0002", "", "\r\n"), "Verbunden.");
  EXPECT_EQ(ComposeKeyMessage(list, "0003", "", "\r\n"), "Connection closed.");
}

TEST(SetLabelText, CutsAtTheMarker) {
  LabelText label{"Connect and log data from:", "", false};
  SetLabelText(label, "");
  EXPECT_EQ(label.caption, "Connect and log data from:");
  EXPECT_FALSE(label.showHint);

  SetLabelText(label, "Verbinden und [...]Daten aufzeichnen ab:");
  EXPECT_EQ(label.caption, "Verbinden und ...");
  EXPECT_EQ(label.hint, "Verbinden und Daten aufzeichnen ab:");
  EXPECT_TRUE(label.showHint);

  SetLabelText(label, "bis:");
  EXPECT_EQ(label.caption, "bis:");
  EXPECT_FALSE(label.showHint);

  SetLabelText(label, "[...]a[...]b");
  EXPECT_EQ(label.caption, "...");
  EXPECT_EQ(label.hint, "a[...]b") << "only the first marker is taken out";
  EXPECT_TRUE(label.showHint);

  SetLabelText(label, "[..]");
  EXPECT_EQ(label.caption, "[..]");
  EXPECT_FALSE(label.showHint);
}

}  // namespace
}  // namespace helvanta
