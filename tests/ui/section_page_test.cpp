#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "config/section_page_qt.hpp"
#include "config/settings_dialog_qt.hpp"
#include "ui/form_main.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

void RunSettings(WindowSet& windows, const std::function<void(TFormSettings&)>& act) {
  QTimer::singleShot(0, windows.settings.get(), [&] { act(*windows.settings); });
  windows.main->ToolButton2Click();
}

TEST(SectionPages, ShowWhatTheProgramUsesRefuseWhatCannotWorkAndStoreOnlyChanges) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.ini", "[Data Logging]\r\nComPort=COM1\r\n[History]\r\nKeepDays=30\r\n");
  const std::string before = folder.ReadFile("Helvanta.ini");
  ErrorBoxCapture box;
  WindowSet windows;
  // History: Enabled, Database, KeepDays; Web: Listen, User, Password; PVOutput:
  // SystemId, ApiKey, ApiKeyFile, Interval, Url.
  const auto page = [](TFormSettings& d, int which) {
    return std::array<TSectionPage*, 3>{d.HistoryPage, d.WebPage, d.PVOutputPage}[static_cast<std::size_t>(which)];
  };
  const struct {
    int page;
    std::size_t field;
    const char* value;
    const char* entry;
  } refused[] = {
      {0, 2, "-1", "[History] KeepDays=-1"},         {0, 2, "many", "[History] KeepDays=many"},
      {0, 2, "36501", "[History] KeepDays=36501"},   {1, 0, "example.org:80", "[Web] Listen=example.org:80"},
      {1, 0, "0.0.0.0", "[Web] Listen=0.0.0.0"},     {2, 0, "12a", "[PVOutput] SystemId=12a"},
      {2, 0, "-5", "[PVOutput] SystemId=-5"},        {2, 3, "7", "[PVOutput] Interval=7"},
      {2, 4, "ftp://pv", "[PVOutput] Url=ftp://pv"},
  };
  for (const auto& c : refused) {
    box.texts.clear();
    RunSettings(windows, [&](TFormSettings& d) {
      page(d, c.page)->Edits[c.field]->setText(QString::fromUtf8(c.value));
      d.Button1->click();
      EXPECT_TRUE(d.isVisible()) << c.entry;
      d.reject();
    });
    ASSERT_EQ(box.texts.size(), 1u) << c.entry;
    EXPECT_EQ(box.texts[0], std::string("Invalid setting: ") + c.entry + "\r\nThe settings were not saved.");
  }
  EXPECT_EQ(folder.ReadFile("Helvanta.ini"), before);

  box.texts.clear();
  RunSettings(windows, [&](TFormSettings& d) {
    EXPECT_TRUE(d.HistoryPage->Flags[0]->isChecked());
    EXPECT_EQ(d.HistoryPage->Edits[2]->text(), QStringLiteral("30"));
    // Without its section the web page is off, so no address shows.
    EXPECT_EQ(d.WebPage->Edits[0]->text(), QString());
    EXPECT_EQ(d.PVOutputPage->Edits[3]->text(), QStringLiteral("5"));
    d.HistoryPage->Flags[0]->setChecked(false);
    d.WebPage->Edits[0]->setText(QStringLiteral("[::1]:8081"));
    d.PVOutputPage->Edits[0]->setText(QStringLiteral("12345"));
    d.PVOutputPage->Edits[3]->setText(QStringLiteral("15"));
    d.Button1->click();
  });
  EXPECT_TRUE(box.texts.empty());
  const std::string ini = folder.ReadFile("Helvanta.ini");
  for (const char* entry :
       {"Enabled=0", "KeepDays=30", "[Web]\r\nListen=[::1]:8081", "SystemId=12345", "Interval=15"}) {
    EXPECT_NE(ini.find(entry), std::string::npos) << entry << " in " << ini;
  }
  for (const char* untouched : {"Database=", "User=", "Password=", "ApiKey", "Url="}) {
    EXPECT_EQ(ini.find(untouched), std::string::npos) << untouched << " in " << ini;
  }

  RunSettings(windows, [&](TFormSettings& d) {
    EXPECT_FALSE(d.HistoryPage->Flags[0]->isChecked());
    EXPECT_EQ(d.WebPage->Edits[0]->text(), QStringLiteral("[::1]:8081"));
    d.reject();
  });
}

}  // namespace
}  // namespace helvanta
