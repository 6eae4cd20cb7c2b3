#pragma once

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/language.hpp"
#include "host/host_core.hpp"
#include "serial/comdatapacket.hpp"
#include "serial/comport.hpp"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QSocketNotifier;
class QStatusBar;
class QSystemTrayIcon;
class QTableWidget;
class QTimer;
class QToolBar;
class QToolButton;

namespace helvanta {

class TFormAbout;
class TFormCharts;
class TFormSettings;

// The main window: the measurand list with its per-minute history, the status bar with
// the clock and the last message, menus, tool bar and the tray icon. It owns the serial
// port, the packet framer and the one-second timer of window mode.
class TFormMain : public QMainWindow {
 public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // The dialogs are created after the main window, which must have loaded the language
  // file first; both must outlive nothing but the window.
  void SetDialogs(TFormSettings* settings, TFormAbout* about);

  void FormCreate();
  void FormShow();
  void FormActivate();
  void FormClose();
  void Timer1Timer();
  void ComDataPacket1Packet(const std::string& packet);
  void Connect1Click();
  void ToolButton1Click();
  void Settings1Click();
  void ToolButton2Click();
  void Hide1Click();
  void ToolButton3Click();
  void About1Click();
  // Opens the chart window on today (shows it again when it exists).
  void Charts1Click();
  void ToolButton5Click();
  void Exit1Click();
  void ToolButton6Click();
  void Exit4Click();
  void Show1Click();
  void TrayIcon1Restore();

  // What the window shows, as byte strings.
  std::string StatusPanelText(int panel) const;
  // Column 0 is the caption, 1 the value, 2 the unit, 3 to 6 the history.
  std::string CellText(int row, int column) const;
  std::string ColumnCaption(int column) const;
  bool MaximiseAtStartPending() const { return maximiseAtStart_; }
  bool HiddenInTray() const { return hiddenInTray_; }

  // Tests stand in for the desktop's notification area.
  void SetTrayAvailable(std::function<bool()> available);

  // Runs after the window has closed (the program ends then).
  std::function<void()> OnClosed;

  TLanguageList LanguageList;
  std::int32_t MeasurandIndex = -1;

  QMenuBar* MainMenu1;
  QMenu* File1;
  QAction* Connect1;
  QAction* Settings1;
  QAction* Charts1;
  QAction* Hide1;
  QAction* Exit2;
  QAction* Exit1;
  QMenu* Help1;
  QAction* About1;
  QMenu* PopupMenu1;
  QAction* Show1;
  QAction* N1;
  QAction* Exit4;
  QToolBar* ToolBar1;
  QToolButton* ToolButton1;
  QToolButton* ToolButton2;
  QToolButton* ToolButton3;
  QAction* ToolButton4;
  QToolButton* ToolButton5;
  QToolButton* ToolButton6;
  QTableWidget* ListView1;
  QStatusBar* StatusBar1;
  QSystemTrayIcon* TrayIcon1;
  QTimer* Timer1;
  TComPort ComPort1;
  TComDataPacket ComDataPacket1;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  void BuildListView();
  void BuildStatusBar();
  void BuildTrayIcon();
  void ConnectHandlers();
  void ApplyTranslations();

  // The designed text, or the language file's text for the key when it is not empty.
  std::string Translated(std::string_view key, std::string_view designed) const;
  void SetStatusPanel(int panel, const std::string& text);
  void SetCell(int row, int column, const std::string& text);
  void SetColumnCaption(int column, const std::string& text);
  void ShowPreviousMeasurand();
  void ShiftHistory(const std::string& caption);
  void RestoreFromTray();
  void OnTimer1();
  void ArmTimer1();

  TFormSettings* formSettings_ = nullptr;
  TFormAbout* formAbout_ = nullptr;
  TFormCharts* formCharts_ = nullptr;
  std::array<QLabel*, 2> statusPanels_{};
  std::array<std::string, 2> statusTexts_;
  QSocketNotifier* syncNotifier_ = nullptr;
  std::function<bool()> trayAvailable_;
  bool maximiseAtStart_ = false;
  bool hiddenInTray_ = false;
  bool maximisedWhenHidden_ = false;
  bool closed_ = false;
  std::int64_t lastTickSecond_ = -1;
  std::int64_t lastTickAtMs_ = 0;
  THostCore core_;
};

}  // namespace helvanta
