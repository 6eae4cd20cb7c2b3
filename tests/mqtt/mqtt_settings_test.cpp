#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>

#include "config/language.hpp"
#include "config/mqtt_settings.hpp"
#include "mqtt/mqtt_feed.hpp"
#include "runtime/program_folder.hpp"
#include "support/temp_folder.hpp"

namespace helvanta::testing {
namespace {

class MqttSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramFolder(folder.Path()); }
  void Write(const std::string& mqtt) { folder.WriteFile("Helvanta.ini", "[MQTT]\n" + mqtt); }
  TempFolder folder;
};

TEST_F(MqttSettingsTest, BadValuesAreReplacedByTheirDefaultsAndReported) {
  struct Case {
    std::string lines;
    std::string key;  // "" when nothing is replaced
    std::string rejected;
    std::string replacement;
  };
  const std::string longTopic(kMaxTopicBytes + 1, 't');
  const std::vector<Case> cases{
      {"Port=0\n", "[MQTT] Port", "0", "1883"},
      {"Port=99999\n", "[MQTT] Port", "99999", "1883"},
      {"Port=-1\nCAFile=/ca.crt\n", "[MQTT] Port", "-1", "8883"},
      {"Port=0x50\n", "[MQTT] Port", "0x50", "1883"},
      {"Port=1\n", "", "", ""},
      {"Port=65535\n", "", "", ""},
      {"Topic=solar/#\n", "[MQTT] Topic", "solar/#", "helvanta"},
      {"Topic=solar/+/x\n", "[MQTT] Topic", "solar/+/x", "helvanta"},
      {"Topic=" + longTopic + "\n", "[MQTT] Topic", longTopic, "helvanta"},
      {"Topic=" + longTopic.substr(1) + "\n", "", "", ""},
      {"Topic=/solar\n", "[MQTT] Topic", "/solar", "helvanta"},
      {"Topic=$SYS\n", "[MQTT] Topic", "$SYS", "helvanta"},
      {"Topic=\n", "", "", ""},
      {"Discovery=ha#\n", "[MQTT] Discovery", "ha#", "homeassistant"},
      {"Discovery=\n", "", "", ""},
      {"ClientId=box 1\n", "[MQTT] ClientId", "box 1", DefaultMqttClientId()},
      {"ClientId=" + std::string(kMaxClientIdBytes + 1, 'c') + "\n", "[MQTT] ClientId",
       std::string(kMaxClientIdBytes + 1, 'c'), DefaultMqttClientId()},
      {"ClientId=box_1-a\n", "", "", ""},
  };
  for (const Case& c : cases) {
    Write(c.lines);
    TMqttSettings settings = LoadMqttSettings();
    const std::vector<TReplacedSetting> replaced = ValidateMqttSettings(settings);
    if (c.key.empty()) {
      EXPECT_TRUE(replaced.empty()) << c.lines;
      continue;
    }
    ASSERT_EQ(replaced.size(), 1u) << c.lines;
    EXPECT_EQ(replaced[0].key, c.key);
    EXPECT_EQ(replaced[0].rejected, c.rejected);
    EXPECT_EQ(replaced[0].replacement, c.replacement);
  }
}

TEST_F(MqttSettingsTest, DefaultsAndThePortThatFollowsTls) {
  Write("Host=broker\n");
  TMqttSettings settings = LoadMqttSettings();
  EXPECT_TRUE(ValidateMqttSettings(settings).empty());
  EXPECT_EQ(settings.EffectivePort(), 1883);
  EXPECT_EQ(settings.Topic, "helvanta");
  EXPECT_EQ(settings.Discovery, "homeassistant");
  EXPECT_TRUE(settings.ClientId.starts_with("helvanta-"));
  EXPECT_TRUE(IsValidMqttClientId(settings.ClientId)) << settings.ClientId;
  settings.CAFile = "/ca.crt";
  EXPECT_EQ(settings.EffectivePort(), 8883);
}

TEST_F(MqttSettingsTest, TheDefaultIdIsMadeOnceKeptAndNotBuiltFromTheHostName) {
  Write("Host=\n");
  TMqttSettings off = LoadMqttSettings();
  ValidateMqttSettings(off);
  EXPECT_FALSE(folder.Exists("Helvanta.id")) << "no broker, no id";
  const std::string id = DefaultMqttClientId();
  EXPECT_TRUE(std::regex_match(id, std::regex("helvanta-[0-9a-f]{16}"))) << id;
  EXPECT_EQ(folder.ReadFile("Helvanta.id"), id + "\n");
  EXPECT_EQ(DefaultMqttClientId(), id);
  TempFolder other;
  SetProgramFolder(other.Path());
  EXPECT_NE(DefaultMqttClientId(), id);
}

TEST_F(MqttSettingsTest, StartReportsUnreadableFilesAndAPasswordOthersCanRead) {
  const TLanguageList english;
  TMqttFeed feed;
  struct Case {
    std::string lines;
    mode_t mode;
    std::string expected;  // start of the one message, "" for none
  };
  const std::vector<Case> cases{
      {"Host=\nPassword=x\n", 0600, ""},
      {"Host=\nPassword=x\n", 0644, "The MQTT password in the configurationfile can be read by other users: "},
      {"Host=127.0.0.1\nPasswordFile=" + folder.File("missing") + "\n", 0600,
       "MQTT is off: cannot read the password file " + folder.File("missing")},
      {"Host=127.0.0.1\nCAFile=" + folder.File("") + "\n", 0600, "MQTT is off: cannot read the CA file "},
  };
  for (const Case& c : cases) {
    Write(c.lines);
    chmod(folder.File("Helvanta.ini").c_str(), c.mode);
    std::vector<TReplacedSetting> replaced;
    const std::vector<THostMessage> messages = feed.Start({english, "\n", replaced});
    EXPECT_FALSE(feed.Running()) << c.lines;
    if (c.expected.empty()) {
      EXPECT_TRUE(messages.empty()) << c.lines;
      continue;
    }
    ASSERT_EQ(messages.size(), 1u) << c.lines;
    EXPECT_TRUE(messages[0].text.starts_with(c.expected)) << messages[0].text;
  }
}

TEST_F(MqttSettingsTest, ThePasswordFileGivesItsFirstLine) {
  folder.WriteFile("secret", "p4ss word\r\nsecond line\n");
  TMqttSettings settings;
  settings.Host = "broker";
  settings.Password = "ignored";
  settings.PasswordFile = folder.File("secret");
  MqttConnectionSettings connection;
  EXPECT_FALSE(ConnectionSettingsFor(settings, "", connection));
  EXPECT_EQ(connection.password, "p4ss word");
  EXPECT_TRUE(connection.discovery.empty());
}

}  // namespace
}  // namespace helvanta::testing
