#include <gtest/gtest.h>

#include <QSystemTrayIcon>

#include "ui/form_main.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

// The icon's own signal, as the notification area sends it: only a double click
// brings the window back; a single click or the menu button leaves it in the tray.
TEST(FormMainTray, ADoubleClickOnTheIconRestoresTheWindow) {
  TempProgramFolder folder;
  ErrorBoxCapture box;
  WindowSet windows;
  TFormMain& form = *windows.main;
  form.SetTrayAvailable([] { return true; });
  form.show();
  form.Hide1Click();
  auto* icon = form.findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon1"));
  ASSERT_NE(icon, nullptr);
  ASSERT_TRUE(icon->isVisible());

  for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick}) {
    emit icon->activated(reason);
    ProcessEvents();
    EXPECT_FALSE(form.isVisible()) << reason;
    EXPECT_TRUE(form.HiddenInTray()) << reason;
    EXPECT_TRUE(icon->isVisible()) << reason;
  }

  emit icon->activated(QSystemTrayIcon::DoubleClick);
  ProcessEvents();
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());
  EXPECT_FALSE(form.HiddenInTray());
  EXPECT_FALSE(icon->isVisible());
  EXPECT_TRUE(box.texts.empty());
}

}  // namespace
}  // namespace helvanta
