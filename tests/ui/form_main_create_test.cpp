#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "config/settings.hpp"
#include "link/measurands.hpp"
#include "ui/form_charts.hpp"
#include "ui/form_main.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

constexpr char kSettingsWithoutWindow[] = "[Data Logging]\r\nComPort=COM2\r\nFrom=05:00:00\r\nTill=21:00:00\r\n";

TEST(FormMainCreate, WithoutAnyFileTheWindowOpensAsDesigned) {
  TempProgramFolder folder;
  WindowSet windows;
  TFormMain& form = *windows.main;

  EXPECT_EQ(form.pos(), QPoint(194, 107));
  EXPECT_EQ(form.size(), QSize(640, 480));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Helvanta 1.2 for Siemens SPN1000"));
  EXPECT_EQ(form.StatusPanelText(1),
            "Could not open configurationfile: " + folder.Path() + "Helvanta.ini! Using defaults.");
  EXPECT_EQ(form.MeasurandIndex, -1);
  EXPECT_FALSE(form.MaximiseAtStartPending());
  EXPECT_EQ(AppSettings.ComPort, "COM1");
  EXPECT_EQ(AppSettings.From, "04:30:00");
  EXPECT_EQ(form.ComDataPacket1.StartString(), std::string(1, '\x02'));
  EXPECT_EQ(form.ComDataPacket1.Size(), 13);
  EXPECT_FALSE(form.ComPort1.Connected());
  EXPECT_FALSE(form.TrayIcon1->isVisible());
  EXPECT_EQ(form.TrayIcon1->toolTip(), QStringLiteral("Helvanta"));

  // The components carry their designed names.
  for (const char* name : {"ListView1", "ToolBar1", "StatusBar1", "MainMenu1", "PopupMenu1", "ToolButton1",
                           "ToolButton2", "ToolButton3", "ToolButton5", "ToolButton6", "Timer1", "TrayIcon1"}) {
    EXPECT_NE(form.findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
  }
  EXPECT_EQ(form.File1->title(), QStringLiteral("File"));
  const QList<QAction*> fileItems = form.File1->actions();
  ASSERT_EQ(fileItems.size(), 6);
  EXPECT_EQ(fileItems[0]->text(), QStringLiteral("Connect"));
  EXPECT_EQ(fileItems[1]->text(), QStringLiteral("Settings"));
  EXPECT_EQ(fileItems[2]->text(), QStringLiteral("Charts"));
  EXPECT_EQ(fileItems[3]->text(), QStringLiteral("Hide"));
  EXPECT_TRUE(fileItems[4]->isSeparator());
  EXPECT_EQ(fileItems[5]->text(), QStringLiteral("Exit"));
  {
    // Charts opens on the clock's day, as a window of its own.
    ClockScope clock(DateTime{2026, 6, 21, 12, 0, 0, 0});
    form.Charts1->trigger();
    const TFormCharts* charts = form.findChild<TFormCharts*>();
    ASSERT_NE(charts, nullptr);
    EXPECT_TRUE(charts->isWindow());
    EXPECT_EQ(charts->Day(), QDate(2026, 6, 21));
  }
  EXPECT_EQ(form.About1->text(), QStringLiteral("About..."));
  const QList<QAction*> trayItems = form.PopupMenu1->actions();
  ASSERT_EQ(trayItems.size(), 3);
  EXPECT_EQ(trayItems[0]->text(), QStringLiteral("Show"));
  EXPECT_TRUE(trayItems[1]->isSeparator());
  EXPECT_EQ(trayItems[2]->text(), QStringLiteral("Exit"));
  EXPECT_EQ(form.ToolButton1->toolTip(), QStringLiteral("Connect"));
  EXPECT_EQ(form.ToolButton2->toolTip(), QStringLiteral("Settings"));
  EXPECT_EQ(form.ToolButton3->toolTip(), QStringLiteral("Hide"));
  EXPECT_EQ(form.ToolButton5->toolTip(), QStringLiteral("About"));
  EXPECT_EQ(form.ToolButton6->toolTip(), QStringLiteral("Exit"));

  // The list: 7 columns, 32 rows with caption, "N/A" and unit, history empty.
  ASSERT_EQ(form.ListView1->columnCount(), 7);
  ASSERT_EQ(form.ListView1->rowCount(), 32);
  const char* captions[] = {"Key", "Value", "Unit", "Time", "Time", "Time", "Time"};
  for (int column = 0; column < 7; ++column) {
    EXPECT_EQ(form.ColumnCaption(column), captions[column]);
  }
  EXPECT_EQ(form.ListView1->columnWidth(0), 150);
  EXPECT_EQ(form.ListView1->columnWidth(1), 75);
  EXPECT_EQ(form.ListView1->columnWidth(2), 50);
  EXPECT_FALSE(form.ListView1->horizontalHeader()->sectionsClickable());
  EXPECT_EQ(form.ListView1->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_TRUE(form.ListView1->item(0, 1)->textAlignment() & Qt::AlignRight);
  for (int row = 0; row < 32; ++row) {
    EXPECT_EQ(form.CellText(row, 0), RowCaption(row));
    EXPECT_EQ(form.CellText(row, 1), "N/A");
    EXPECT_EQ(form.CellText(row, 2), RowUnit(row));
    for (int column = 3; column < 7; ++column) {
      EXPECT_EQ(form.CellText(row, column), "");
    }
    EXPECT_FALSE(form.ListView1->item(row, 0)->icon().isNull());
  }
  EXPECT_EQ(form.CellText(31, 0), "Version");
  EXPECT_EQ(form.ListView1->item(6, 2)->text(), QString::fromUtf8("\u00B0C"));
}

TEST(FormMainCreate, TheTimerIsArmedForJustAfterTheNextWallClockSecond) {
  TempProgramFolder folder;
  ClockScope clock(At(2024, 5, 6, 12, 0, 0, 300));
  TFormMain form;
  EXPECT_TRUE(form.Timer1->isActive());
  EXPECT_TRUE(form.Timer1->isSingleShot());
  EXPECT_EQ(form.Timer1->timerType(), Qt::PreciseTimer);
  EXPECT_GE(form.Timer1->interval(), 700);
  EXPECT_LE(form.Timer1->interval(), 720);
}

TEST(FormMainCreate, ALanguageFileTranslatesCaptionsHintsAndTheFirstThirtyRows) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.ini", kSettingsWithoutWindow);
  folder.WriteFile("Helvanta.lng",
                   "; Test translation\r\n"
                   "0001=Willkommen\r\n"
                   "1001=Datei\r\n"
                   "1001=Second one does not count\r\n"
                   "1002=Verbinden\r\n"
                   "1004=Einstellungen\r\n"
                   "1005=Verstecken\r\n"
                   "1006=Zeigen\r\n"
                   "1007=Beenden\r\n"
                   "1008=Hilfe\n"
                   "1009=\xDC"
                   "ber\r"
                   "1010=Name\r\n"
                   "1011=Wert\r\n"
                   "1012=\r\n"
                   "1013=Zeit\r\n"
                   "2001=Spannung (AC)\r\n"
                   "2030=Fehlerzustand\r\n"
                   "2031=Busadresse\r\n"
                   "2032=Version translated\r\n"
                   "2002=\r\n");
  WindowSet windows;
  TFormMain& form = *windows.main;

  EXPECT_EQ(form.StatusPanelText(1), "Willkommen");
  EXPECT_EQ(form.pos(), QPoint(100, 100));  // a settings file without "Window"
  EXPECT_EQ(form.File1->title(), QStringLiteral("Datei"));
  EXPECT_EQ(form.Connect1->text(), QStringLiteral("Verbinden"));
  EXPECT_EQ(form.ToolButton1->toolTip(), QStringLiteral("Verbinden"));
  EXPECT_EQ(form.Settings1->text(), QStringLiteral("Einstellungen"));
  EXPECT_EQ(form.ToolButton2->toolTip(), QStringLiteral("Einstellungen"));
  EXPECT_EQ(form.Hide1->text(), QStringLiteral("Verstecken"));
  EXPECT_EQ(form.ToolButton3->toolTip(), QStringLiteral("Verstecken"));
  // 1006 names the tray menu's Show item and no hint.
  EXPECT_EQ(form.Show1->text(), QStringLiteral("Zeigen"));
  EXPECT_EQ(form.Exit1->text(), QStringLiteral("Beenden"));
  EXPECT_EQ(form.Exit4->text(), QStringLiteral("Beenden"));
  EXPECT_EQ(form.ToolButton6->toolTip(), QStringLiteral("Beenden"));
  EXPECT_EQ(form.Help1->title(), QStringLiteral("Hilfe"));
  EXPECT_EQ(form.About1->text(), QString::fromUtf8("\u00DCber"));
  EXPECT_EQ(form.ToolButton5->toolTip(), QString::fromUtf8("\u00DCber"));
  EXPECT_EQ(form.ColumnCaption(0), "Name");
  EXPECT_EQ(form.ColumnCaption(1), "Wert");
  EXPECT_EQ(form.ColumnCaption(2), "Unit");  // an empty text keeps the design
  for (int column = 3; column < 7; ++column) {
    EXPECT_EQ(form.ColumnCaption(column), "Zeit");
  }

  // Row captions follow at every showing.
  EXPECT_EQ(form.CellText(0, 0), "Voltage (AC)");
  form.show();
  EXPECT_EQ(form.CellText(0, 0), "Spannung (AC)");
  EXPECT_EQ(form.CellText(1, 0), "Current (AC)");
  EXPECT_EQ(form.CellText(29, 0), "Fehlerzustand");
  EXPECT_EQ(form.CellText(30, 0), "Busaddress");
  EXPECT_EQ(form.CellText(31, 0), "Version");
}

TEST(FormMainCreate, TheNoSettingsMessageCanBeTranslated) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.lng", "0001=Hallo\r\n0006=Keine Datei %s\\nStandardwerte\r\n");
  WindowSet windows;
  EXPECT_EQ(windows.main->StatusPanelText(1), "Keine Datei " + folder.Path() + "Helvanta.ini Standardwerte");
}

TEST(FormMainCreate, TheWindowSectionPlacesTheWindowAndMaximisesAtTheFirstActivationOnly) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.ini",
                   std::string(kSettingsWithoutWindow) + "[Window]\r\nTop=50\r\nLeft=60\r\nInitMax=1\r\n");
  WindowSet windows;
  TFormMain& form = *windows.main;
  EXPECT_EQ(form.pos(), QPoint(60, 50));
  EXPECT_EQ(form.size(), QSize(640, 480));
  EXPECT_EQ(AppSettings.ComPort, "COM2");
  EXPECT_TRUE(form.MaximiseAtStartPending());
  form.show();
  form.FormActivate();
  EXPECT_TRUE(form.isMaximized());
  EXPECT_FALSE(form.MaximiseAtStartPending());
  form.showNormal();
  form.FormActivate();
  EXPECT_FALSE(form.isMaximized());
}

TEST(FormMainCreate, ClosingWritesThePlacementOfANormalWindow) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.ini", kSettingsWithoutWindow);
  WindowSet windows;
  TFormMain& form = *windows.main;
  bool closed = false;
  form.OnClosed = [&closed] { closed = true; };
  form.show();
  form.move(300, 200);
  form.Exit1Click();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(form.isVisible());
  const WindowPlacement placement = LoadWindowPlacement();
  EXPECT_EQ(placement.Top, 200);
  EXPECT_EQ(placement.Left, 300);
  EXPECT_FALSE(placement.InitMax);
  // The rest of the file is kept.
  EXPECT_NE(folder.ReadFile("Helvanta.ini").find("Till=21:00:00"), std::string::npos);
}

TEST(FormMainCreate, ClosingAMaximisedWindowKeepsTheLastNormalPosition) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.ini",
                   std::string(kSettingsWithoutWindow) + "[Window]\r\nTop=50\r\nLeft=60\r\nInitMax=0\r\n");
  WindowSet windows;
  TFormMain& form = *windows.main;
  form.showMaximized();
  form.close();
  const WindowPlacement placement = LoadWindowPlacement();
  EXPECT_EQ(placement.Top, 50);
  EXPECT_EQ(placement.Left, 60);
  EXPECT_TRUE(placement.InitMax);
}

TEST(FormMainCreate, ASettingsFileThatCannotBeWrittenDoesNotStopTheClose) {
  TempProgramFolder folder;
  ErrorBoxCapture box;
  WindowSet windows;
  TFormMain& form = *windows.main;
  form.show();
  // Helvanta.ini cannot be created where a folder of that name stands.
  std::filesystem::create_directory(folder.Path() + "Helvanta.ini");
  bool closed = false;
  form.OnClosed = [&closed] { closed = true; };
  form.close();
  EXPECT_TRUE(closed);
  EXPECT_TRUE(box.texts.empty());
}

TEST(FormMainCreate, HideAndRestoreThroughTheTray) {
  TempProgramFolder folder;
  folder.WriteFile("Helvanta.ini", std::string(kSettingsWithoutWindow) + "[Window]\r\nTop=40\r\nLeft=30\r\n");
  ErrorBoxCapture box;
  WindowSet windows;
  TFormMain& form = *windows.main;
  form.SetTrayAvailable([] { return true; });
  form.show();

  form.ToolButton3Click();
  EXPECT_TRUE(box.texts.empty());
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(form.HiddenInTray());
  EXPECT_TRUE(form.TrayIcon1->isVisible());

  form.Show1Click();
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());
  EXPECT_FALSE(form.TrayIcon1->isVisible());
  EXPECT_FALSE(form.HiddenInTray());

  // A window hidden while maximised comes back maximised and closes as maximised.
  form.showMaximized();
  form.Hide1Click();
  EXPECT_FALSE(form.isVisible());
  form.Exit4Click();
  const WindowPlacement placement = LoadWindowPlacement();
  EXPECT_EQ(placement.Top, 40);
  EXPECT_EQ(placement.Left, 30);
  EXPECT_TRUE(placement.InitMax);
  EXPECT_FALSE(form.TrayIcon1->isVisible());
}

TEST(FormMainCreate, AMinimiseWhileTheTrayIconIsShownHidesTheWindow) {
  TempProgramFolder folder;
  WindowSet windows;
  TFormMain& form = *windows.main;
  form.SetTrayAvailable([] { return true; });
  form.show();
  form.TrayIcon1->show();
  form.showMinimized();
  ProcessEvents(20);
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(form.HiddenInTray());
  form.Show1Click();
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());
}

TEST(FormMainCreate, WithoutANotificationAreaHideSaysSoAndTheWindowStays) {
  TempProgramFolder folder;
  ErrorBoxCapture box;
  WindowSet windows;
  TFormMain& form = *windows.main;
  form.SetTrayAvailable([] { return false; });
  form.show();
  form.Hide1->trigger();
  ASSERT_EQ(box.texts.size(), 1u);
  EXPECT_NE(box.texts[0].find("notification area"), std::string::npos);
  EXPECT_EQ(box.texts[0].back(), '.');
  EXPECT_EQ(box.captions[0], "Helvanta 1.2 for Siemens SPN1000");
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.TrayIcon1->isVisible());
  EXPECT_FALSE(form.HiddenInTray());
}

}  // namespace
}  // namespace helvanta

namespace helvanta {
namespace {

// Settings the window could not use: one finding in the status bar, several in one box.
TEST(FormMainCreate, ReplacedSettingsAreShownOnceAtStart) {
  TempProgramFolder folder;
  {
    folder.WriteFile("Helvanta.ini", "[Data Logging]\r\nRequestInterval=7\r\n");
    ErrorBoxCapture box;
    WindowSet windows;
    EXPECT_TRUE(box.texts.empty());
    EXPECT_EQ(windows.main->StatusPanelText(1), "Invalid setting replaced by its default: RequestInterval=7 (now 4)");
  }
  folder.WriteFile("Helvanta.ini", "[Data Logging]\r\nRequestInterval=7\r\nFrom=25:99:99\r\n");
  ErrorBoxCapture box;
  WindowSet windows;
  ASSERT_EQ(box.texts.size(), 1u);
  EXPECT_EQ(box.texts[0],
            "Invalid setting replaced by its default: From=25:99:99 (now 04:30:00)\r\n"
            "Invalid setting replaced by its default: RequestInterval=7 (now 4)");
}

}  // namespace
}  // namespace helvanta
