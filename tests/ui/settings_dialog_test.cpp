#include "config/settings_dialog_qt.hpp"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <functional>

#include "config/settings.hpp"
#include "ui/form_main.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

constexpr char kSettings[] =
    "[Data Logging]\r\nComPort=COM7\r\nFrom=05:15:00\r\nTill=21:45:30\r\n"
    "TemplateFile=/srv/t.csv\r\nOutputFolder=/srv/data\r\nRequestInterval=5\r\n"
    "[Ports]\r\nCOM2=/dev/ttyUSB0\r\n";

// Runs the dialog through the main window's Settings command; `act` works on the open
// dialog and ends it.
void RunSettings(WindowSet& windows, const std::function<void(TFormSettings&)>& act) {
  bool acted = false;
  QTimer::singleShot(0, windows.settings.get(), [&] {
    acted = true;
    act(*windows.settings);
  });
  windows.main->ToolButton2Click();
  EXPECT_TRUE(acted);
}

TEST(SettingsDialog, OpensWithTheSettingsAndStoresWhatTheUserChose) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.ini", kSettings);
  ErrorBoxCapture box;
  WindowSet windows;
  TFormSettings& dialog = *windows.settings;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Settings"));
  EXPECT_EQ(dialog.ListBox1->count(), 7);

  RunSettings(windows, [](TFormSettings& d) {
    // COM7 selects the last row; the devices show beside the names.
    EXPECT_EQ(d.ListBox1->currentRow(), 6);
    EXPECT_EQ(d.PortDevices->item(1)->text(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(d.PortDevices->item(6)->text(), QStringLiteral("/dev/ttyS6"));
    EXPECT_EQ(d.DateTimePicker1->time(), QTime(5, 15, 0));
    EXPECT_EQ(d.DateTimePicker2->time(), QTime(21, 45, 30));
    EXPECT_EQ(d.DateTimePicker1->displayFormat(), QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(d.Edit1->text(), QStringLiteral("/srv/t.csv"));
    EXPECT_EQ(d.Edit2->text(), QStringLiteral("/srv/data"));
    d.ListBox1->setCurrentRow(2);
    d.DateTimePicker1->setTime(QTime(0, 0, 0));  // midnight
    d.Edit1->clear();
    d.Edit2->setText(QStringLiteral("/srv/new\\"));
    QTest::keyClick(d.ListBox1, Qt::Key_Return);  // Enter is OK
  });
  EXPECT_TRUE(box.texts.empty());
  EXPECT_EQ(AppSettings.ComPort, "COM3");
  EXPECT_EQ(AppSettings.From, "00:00:00");
  EXPECT_EQ(AppSettings.Till, "21:45:30");
  EXPECT_EQ(AppSettings.TemplateFile, "");
  EXPECT_EQ(AppSettings.OutputFolder, "/srv/new\\");
  const std::string ini = folder.ReadFile("Helvanta.ini");
  EXPECT_NE(ini.find("ComPort=COM3"), std::string::npos) << ini;
  EXPECT_NE(ini.find("From=00:00:00"), std::string::npos) << ini;
  EXPECT_NE(ini.find("TemplateFile=\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("OutputFolder=/srv/new\\"), std::string::npos) << ini;
  EXPECT_NE(ini.find("RequestInterval=5"), std::string::npos) << ini;

  // OK without changes writes the same values again.
  RunSettings(windows, [](TFormSettings& d) { d.Button1->click(); });
  EXPECT_EQ(folder.ReadFile("Helvanta.ini"), ini);
}

TEST(SettingsDialog, CancelEscapeAndTheCloseBoxChangeNothing) {
  TempProgramFolder folder;
  ErrorBoxCapture box;
  WindowSet windows;
  const TAppSettings before = AppSettings;
  const auto edit = [](TFormSettings& d) {
    d.ListBox1->setCurrentRow(4);
    d.DateTimePicker2->setTime(QTime(1, 2, 3));
    d.Edit2->setText(QStringLiteral("/elsewhere"));
  };
  RunSettings(windows, [&](TFormSettings& d) {
    edit(d);
    d.Button2->click();
  });
  RunSettings(windows, [&](TFormSettings& d) {
    edit(d);
    QTest::keyClick(d.Edit1, Qt::Key_Escape);
  });
  RunSettings(windows, [&](TFormSettings& d) {
    edit(d);
    d.close();
  });
  EXPECT_EQ(AppSettings.ComPort, before.ComPort);
  EXPECT_EQ(AppSettings.Till, before.Till);
  EXPECT_EQ(AppSettings.OutputFolder, before.OutputFolder);
  EXPECT_FALSE(folder.Exists("Helvanta.ini"));
  EXPECT_TRUE(box.texts.empty());

  // Each opening starts again from the settings.
  RunSettings(windows, [](TFormSettings& d) {
    EXPECT_EQ(d.ListBox1->currentRow(), 0);
    EXPECT_EQ(d.Edit2->text().toStdString(), AppSettings.OutputFolder);
    d.reject();
  });
}

TEST(SettingsDialog, AFailedSaveShowsTheMessageAndKeepsTheNewValues) {
  TempProgramFolder folder;
  ErrorBoxCapture box;
  WindowSet windows;
  // The settings file cannot be created where a folder of that name stands.
  std::filesystem::create_directory(folder.Path() + "Helvanta.ini");
  RunSettings(windows, [](TFormSettings& d) {
    d.ListBox1->setCurrentRow(1);
    d.Button1->click();
  });
  ASSERT_EQ(box.texts.size(), 1u);
  EXPECT_EQ(box.texts[0],
            "Could not save settings to " + folder.Path() + "Helvanta.ini!\r\nDisk full or write protected!");
  EXPECT_EQ(box.captions[0], "Helvanta 1.2 for Siemens SPN1000");
  EXPECT_EQ(AppSettings.ComPort, "COM2");
}

TEST(SettingsDialog, ChangedDevicesOfThePortNamesAreWrittenOnOk) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.ini", kSettings);
  ErrorBoxCapture box;
  WindowSet windows;
  testing::PtyPair pty;
  const QString ptyPath = QString::fromStdString(pty.SlavePath());
  RunSettings(windows, [&](TFormSettings& d) {
    // The device field follows the selected port name and keeps each port's choice.
    EXPECT_EQ(d.PortDevice->currentText(), QStringLiteral("/dev/ttyS6"));
    d.ListBox1->setCurrentRow(1);
    EXPECT_EQ(d.PortDevice->currentText(), QStringLiteral("/dev/ttyUSB0"));
    d.PortDevice->setEditText(ptyPath);
    EXPECT_EQ(d.PortDevices->item(1)->text(), ptyPath);
    d.ListBox1->setCurrentRow(2);
    d.PortDevice->setEditText(QStringLiteral("/dev/ttyS2"));  // its own device: nothing to write or check
    d.ListBox1->setCurrentRow(3);
    d.PortDevice->setEditText(QStringLiteral("  "));  // empty: the port keeps its device
    EXPECT_EQ(d.PortDevices->item(3)->text(), QStringLiteral("/dev/ttyS3"));
    d.ListBox1->setCurrentRow(4);
    d.PortDevice->setEditText(QStringLiteral(" /dev/null "));
    d.ListBox1->setCurrentRow(1);
    EXPECT_EQ(d.PortDevice->currentText(), ptyPath);
    d.Button1->click();
  });
  EXPECT_TRUE(box.texts.empty());
  EXPECT_EQ(AppSettings.ComPort, "COM2");
  const std::string ini = folder.ReadFile("Helvanta.ini");
  EXPECT_NE(ini.find("[Ports]\r\nCOM2=" + pty.SlavePath() + "\r\nCOM5=/dev/null\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("COM3="), std::string::npos) << ini;
  EXPECT_EQ(ini.find("COM4="), std::string::npos) << ini;

  // Opened again, the dialog shows the new devices; OK without changes writes nothing new.
  RunSettings(windows, [](TFormSettings& d) {
    EXPECT_EQ(d.PortDevices->item(4)->text(), QStringLiteral("/dev/null"));
    d.Button1->click();
  });
  EXPECT_EQ(folder.ReadFile("Helvanta.ini"), ini);
}

TEST(SettingsDialog, ADeviceThatIsMissingOrNoCharacterDeviceKeepsTheDialogOpenAndSavesNothing) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.ini", kSettings);
  const std::string before = folder.ReadFile("Helvanta.ini");
  ErrorBoxCapture box;
  WindowSet windows;
  const TAppSettings settings = AppSettings;
  const struct {
    std::string device;
    std::string message;
  } cases[] = {
      {"/dev/serial/by-id/usb-gone-if00-port0",
       "Device not found: COM3=/dev/serial/by-id/usb-gone-if00-port0\r\nThe settings were not saved."},
      {folder.Path() + "Helvanta.ini",
       "Not a serial device: COM3=" + folder.Path() + "Helvanta.ini\r\nThe settings were not saved."},
      {folder.Path(), "Not a serial device: COM3=" + folder.Path() + "\r\nThe settings were not saved."},
  };
  for (const auto& c : cases) {
    box.texts.clear();
    RunSettings(windows, [&](TFormSettings& d) {
      d.ListBox1->setCurrentRow(2);
      d.Edit2->setText(QStringLiteral("/elsewhere"));
      d.PortDevice->setEditText(QString::fromStdString(c.device));
      d.Button1->click();
      EXPECT_TRUE(d.isVisible()) << c.device;
      d.reject();
    });
    ASSERT_EQ(box.texts.size(), 1u) << c.device;
    EXPECT_EQ(box.texts[0], c.message);
    EXPECT_EQ(box.captions.back(), "Helvanta 1.2 for Siemens SPN1000");
  }
  EXPECT_EQ(AppSettings.ComPort, settings.ComPort);
  EXPECT_EQ(AppSettings.OutputFolder, settings.OutputFolder);
  EXPECT_EQ(folder.ReadFile("Helvanta.ini"), before);
}

TEST(SettingsDialog, TakesItsTextsFromTheLanguageFileWithCutLabels) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.lng",
                   "1004=Einstellungen\r\n3001=Anschluss\r\n3002=Aufzeichnung\r\n"
                   "3003=Verbinden und [...]aufzeichnen von:\r\n3004=bis:\r\n3005=\r\n3006=Beispiel: /t.csv\r\n"
                   "3007=Ausgabeordner:\r\n3008=Beispiel: /data\r\n3009=Suchen\r\n3010=Gut\r\n3011=Abbrechen\r\n"
                   "4011=Ger\xC3\xA4t:\r\n4012=Gleich nach dem Umstecken: /dev/serial/by-id\r\n");
  WindowSet windows;
  TFormSettings& d = *windows.settings;
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Einstellungen"));
  EXPECT_EQ(d.GroupBox1->title(), QStringLiteral("Anschluss"));
  EXPECT_EQ(d.GroupBox2->title(), QStringLiteral("Aufzeichnung"));
  EXPECT_EQ(d.Label1->text(), QStringLiteral("Verbinden und ..."));
  EXPECT_EQ(d.Label1->toolTip(), QStringLiteral("Verbinden und aufzeichnen von:"));
  EXPECT_EQ(d.Label2->text(), QStringLiteral("bis:"));
  EXPECT_TRUE(d.Label2->toolTip().isEmpty());
  EXPECT_EQ(d.Label3->text(), QStringLiteral("Template file:"));
  EXPECT_EQ(d.Label4->text(), QStringLiteral("Ausgabeordner:"));
  EXPECT_EQ(d.Edit1->toolTip(), QStringLiteral("Beispiel: /t.csv"));
  EXPECT_EQ(d.Edit2->toolTip(), QStringLiteral("Beispiel: /data"));
  EXPECT_EQ(d.SpeedButton1->toolTip(), QStringLiteral("Suchen"));
  EXPECT_EQ(d.SpeedButton2->toolTip(), QStringLiteral("Suchen"));
  EXPECT_EQ(d.Button1->text(), QStringLiteral("Gut"));
  EXPECT_EQ(d.Button2->text(), QStringLiteral("Abbrechen"));
  EXPECT_EQ(d.PortDeviceLabel->text(), QString::fromUtf8("Ger\xC3\xA4t:"));
  EXPECT_EQ(d.PortDevice->toolTip(), QStringLiteral("Gleich nach dem Umstecken: /dev/serial/by-id"));
}

TEST(SettingsDialog, TheTabOrderRunsFromTheButtonsThroughThePortToTheEdits) {
  TempProgramFolder folder;
  WindowSet windows;
  TFormSettings& d = *windows.settings;
  const QList<QWidget*> order = {d.Button1,         d.Button2,         d.ListBox1, d.PortDevice,
                                 d.DateTimePicker1, d.DateTimePicker2, d.Edit1,    d.Edit2};
  // The focus chain also holds inner widgets (a picker's edit); only ours count.
  QList<QWidget*> seen;
  QWidget* w = d.Button1;
  do {
    if (order.contains(w) && !seen.contains(w)) {
      seen.append(w);
    }
    w = w->nextInFocusChain();
  } while (w != d.Button1);
  EXPECT_EQ(seen, order);
  EXPECT_EQ(d.SpeedButton1->focusPolicy(), Qt::NoFocus);
}

}  // namespace
}  // namespace helvanta
