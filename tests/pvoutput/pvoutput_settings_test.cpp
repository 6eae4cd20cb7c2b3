#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ostream>

#include "config/language.hpp"
#include "config/pvoutput_settings.hpp"
#include "pvoutput/pvoutput_feed.hpp"
#include "runtime/program_folder.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

struct Section {
  const char* name;
  const char* lines;
  std::vector<std::string> replacedKeys;
  bool enabled;
};

void PrintTo(const Section& section, std::ostream* out) { *out << section.name; }

class PvoutputSettingsTest : public ::testing::TestWithParam<Section> {
 protected:
  void SetUp() override { SetProgramFolder(folder.Path()); }
  testing::TempFolder folder;
};

TEST_P(PvoutputSettingsTest, InvalidValuesAreReplacedAndReported) {
  folder.WriteFile("Helvanta.ini", std::string("[PVOutput]\r\n") + GetParam().lines);
  std::vector<TReplacedSetting> replaced;
  const TPvoutputSettings settings = LoadPvoutputSettings(replaced);
  std::vector<std::string> keys;
  for (const TReplacedSetting& r : replaced) keys.push_back(r.key);
  EXPECT_EQ(keys, GetParam().replacedKeys);
  EXPECT_EQ(settings.Enabled(), GetParam().enabled);
  EXPECT_TRUE(IsValidPvoutputInterval(settings.Interval));
  EXPECT_TRUE(IsValidPvoutputUrl(settings.Url));
}

INSTANTIATE_TEST_SUITE_P(
    Sections, PvoutputSettingsTest,
    ::testing::Values(Section{"Absent", "", {}, false}, Section{"EmptySystemId", "SystemId=\r\n", {}, false},
                      Section{"Valid", "SystemId=123\r\nInterval=10\r\nUrl=http://127.0.0.1:8080\r\n", {}, true},
                      Section{"LettersInSystemId", "SystemId=12a\r\n", {"[PVOutput] SystemId"}, false},
                      Section{"OddInterval", "SystemId=1\r\nInterval=7\r\n", {"[PVOutput] Interval"}, true},
                      Section{"WordAndFtp",
                              "SystemId=1\r\nInterval=five\r\nUrl=ftp://x\r\n",
                              {"[PVOutput] Interval", "[PVOutput] Url"},
                              true},
                      Section{
                          "TrailingSlash", "SystemId=1\r\nUrl=https://pvoutput.org/\r\n", {"[PVOutput] Url"}, true}),
    [](const ::testing::TestParamInfo<Section>& info) { return std::string(info.param.name); });

TEST(PvoutputSettings, LoopbackAddresses) {
  EXPECT_TRUE(IsLoopbackUrl("http://127.0.0.1:8080"));
  EXPECT_TRUE(IsLoopbackUrl("http://[::1]:8080/x"));
  EXPECT_TRUE(IsLoopbackUrl("http://localhost"));
  EXPECT_FALSE(IsLoopbackUrl("http://pvoutput.org"));
  EXPECT_FALSE(IsLoopbackUrl("http://127.0.0.1.example.org"));
}

// A key in a settings file others can read, and a clear-text address off this machine:
// one warning each at start; a key file that cannot be read keeps the uploads off.
TEST(PvoutputSettings, StartWarnsOfAReadableKeyAndPlainHttp) {
  testing::TempFolder folder;
  SetProgramFolder(folder.Path());
  folder.WriteFile("Helvanta.ini", "[PVOutput]\r\nSystemId=1\r\nApiKey=k\r\nUrl=http://pvoutput.invalid\r\n");
  ASSERT_EQ(::chmod(folder.File("Helvanta.ini").c_str(), 0644), 0);
  TLanguageList list;
  std::vector<TReplacedSetting> replaced;
  TPvoutputFeed feed;
  std::vector<THostMessage> messages = feed.Start({list, " ", replaced});
  ASSERT_EQ(messages.size(), 2U);
  EXPECT_NE(messages[0].text.find("API key in the configurationfile can be read by other users"), std::string::npos);
  EXPECT_NE(messages[1].text.find("http://pvoutput.invalid is not encrypted"), std::string::npos);
  EXPECT_TRUE(feed.Running());
  folder.WriteFile("Helvanta.ini", "[PVOutput]\r\nSystemId=1\r\nApiKeyFile=" + folder.File("missing") + "\r\n");
  messages = feed.Start({list, " ", replaced});
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_EQ(messages[0].severity, THostMessage::Severity::kError);
  EXPECT_FALSE(feed.Running());
}

}  // namespace
}  // namespace helvanta
