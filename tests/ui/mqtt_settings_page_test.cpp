#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "config/mqtt_settings_page_qt.hpp"
#include "config/settings_dialog_qt.hpp"
#include "ui/form_main.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

constexpr char kSettings[] = "[Data Logging]\r\nComPort=COM1\r\n[MQTT]\r\nHost=broker\r\n";

void RunSettings(WindowSet& windows, const std::function<void(TFormSettings&)>& act) {
  QTimer::singleShot(0, windows.settings.get(), [&] { act(*windows.settings); });
  windows.main->ToolButton2Click();
}

TEST(MqttSettingsPage, RefusesValuesThatCannotWorkAndStoresOnlyWhatChanged) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.ini", kSettings);
  const std::string before = folder.ReadFile("Helvanta.ini");
  ErrorBoxCapture box;
  WindowSet windows;
  enum { kPort = 1, kTopic = 6, kDiscovery = 7, kClientId = 8 };
  const struct {
    int field;
    const char* value;
    std::string message;
  } cases[] = {
      {kPort, "0", "Invalid MQTT setting: Port=0\r\nThe settings were not saved."},
      {kPort, "99999", "Invalid MQTT setting: Port=99999\r\nThe settings were not saved."},
      {kTopic, "pv/#", "Invalid MQTT setting: Topic=pv/#\r\nThe settings were not saved."},
      {kDiscovery, "ha/+", "Invalid MQTT setting: Discovery=ha/+\r\nThe settings were not saved."},
      {kClientId, "my box", "Invalid MQTT setting: ClientId=my box\r\nThe settings were not saved."},
  };
  for (const auto& c : cases) {
    box.texts.clear();
    RunSettings(windows, [&](TFormSettings& d) {
      EXPECT_EQ(d.MqttPage->Edits[0]->text(), QStringLiteral("broker"));
      d.MqttPage->Edits[static_cast<std::size_t>(c.field)]->setText(QString::fromUtf8(c.value));
      d.Button1->click();
      EXPECT_TRUE(d.isVisible()) << c.value;
      d.reject();
    });
    ASSERT_EQ(box.texts.size(), 1u) << c.value;
    EXPECT_EQ(box.texts[0], c.message);
  }
  EXPECT_EQ(folder.ReadFile("Helvanta.ini"), before);

  box.texts.clear();
  RunSettings(windows, [](TFormSettings& d) {
    d.MqttPage->Edits[kPort]->setText(QStringLiteral("8883"));
    d.MqttPage->Edits[kTopic]->setText(QStringLiteral("solar/roof"));
    d.Button1->click();
  });
  EXPECT_TRUE(box.texts.empty());
  const std::string ini = folder.ReadFile("Helvanta.ini");
  EXPECT_NE(ini.find("Port=8883"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Topic=solar/roof"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("Password="), std::string::npos) << ini;
  EXPECT_EQ(ini.find("ClientId="), std::string::npos) << ini;
}

}  // namespace
}  // namespace helvanta
