#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

#include "config/file_access.hpp"
#include "config/settings.hpp"
#include "config/settings_dialog_qt.hpp"
#include "config/text_keys.hpp"
#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "link/polling_cycle.hpp"
#include "runtime/clock.hpp"
#include "ui/display_text.hpp"
#include "ui/error_box.hpp"
#include "ui/form_about.hpp"
#include "ui/form_charts.hpp"
#include "ui/form_main.hpp"

namespace helvanta {
namespace {

constexpr int kTranslatedRows = 30;

std::string RowKey(int row) { return std::to_string(2001 + row); }

}  // namespace

void TFormMain::FormCreate() {
  const THostStartReport start = core_.Start();
  ApplyTranslations();
  if (start.settingsFileFound) {
    const WindowPlacement placement = LoadWindowPlacement();
    move(placement.Left, placement.Top);
    maximiseAtStart_ = placement.InitMax;
  } else {
    SetStatusPanel(1, ComposeKeyMessage(LanguageList, text_key::kSettingsFileMissing, SettingsFilePath(), " "));
  }
  const auto warningsWith = [&](std::string_view lineBreak) {
    std::vector<std::string> warnings = SettingsReportMessages(LanguageList, start.settings, lineBreak);
    if (start.languageTooLarge) {
      warnings.push_back(
          ComposeKeyMessage(LanguageList, text_key::kLanguageFileUnreadable, LanguageFilePath(), lineBreak));
    }
    for (const THostMessage& message : start.outputs) warnings.push_back(message.text);
    return warnings;
  };
  // One finding fits the status bar; several go into one box, so none is overwritten.
  if (const std::vector<std::string> warnings = warningsWith(" "); warnings.size() == 1) {
    SetStatusPanel(1, warnings.front());
  } else if (!warnings.empty()) {
    std::string text;
    for (const std::string& warning : warningsWith("\r\n")) text += (text.empty() ? "" : "\r\n") + warning;
    ShowErrorBox(this, text, std::string(kApplicationTitle));
  }
  ComDataPacket1.SetStartString(std::string(1, STX));
}

void TFormMain::ApplyTranslations() {
  const auto set = [this](std::string_view key, auto&& apply) {
    const std::string text = LanguageList.LookupText(key);
    if (!text.empty()) {
      apply(ToDisplay(text), text);
    }
  };
  set(text_key::kWelcome, [this](const QString&, const std::string& t) { SetStatusPanel(1, t); });
  set(text_key::kMenuFile, [this](const QString& t, const std::string&) { File1->setTitle(t); });
  set(text_key::kMenuConnect, [this](const QString& t, const std::string&) {
    Connect1->setText(t);
    ToolButton1->setToolTip(t);
  });
  set(text_key::kMenuSettings, [this](const QString& t, const std::string&) {
    Settings1->setText(t);
    ToolButton2->setToolTip(t);
  });
  set(text_key::kMenuHide, [this](const QString& t, const std::string&) {
    Hide1->setText(t);
    ToolButton3->setToolTip(t);
  });
  set(text_key::kMenuShow, [this](const QString& t, const std::string&) { Show1->setText(t); });
  set(text_key::kMenuExit, [this](const QString& t, const std::string&) {
    Exit1->setText(t);
    Exit4->setText(t);
    ToolButton6->setToolTip(t);
  });
  set(text_key::kMenuHelp, [this](const QString& t, const std::string&) { Help1->setTitle(t); });
  set(text_key::kCharts, [this](const QString& t, const std::string&) { Charts1->setText(t); });
  set(text_key::kMenuAbout, [this](const QString& t, const std::string&) {
    About1->setText(t);
    ToolButton5->setToolTip(t);
  });
  set(text_key::kColumnKey, [this](const QString&, const std::string& t) { SetColumnCaption(0, t); });
  set(text_key::kColumnValue, [this](const QString&, const std::string& t) { SetColumnCaption(1, t); });
  set(text_key::kColumnUnit, [this](const QString&, const std::string& t) { SetColumnCaption(2, t); });
  set(text_key::kColumnTime, [this](const QString&, const std::string& t) {
    for (int column = 3; column <= 6; ++column) {
      SetColumnCaption(column, t);
    }
  });
}

void TFormMain::FormShow() {
  for (int row = 0; row < kTranslatedRows; ++row) {
    const std::string caption = LanguageList.LookupText(RowKey(row));
    if (!caption.empty()) {
      SetCell(row, 0, caption);
    }
  }
}

void TFormMain::FormActivate() {
  if (maximiseAtStart_) {
    maximiseAtStart_ = false;
    showMaximized();
  }
}

void TFormMain::FormClose() {
  ComPort1.Close();
  core_.Stop();
  const bool maximised = hiddenInTray_ ? maximisedWhenHidden_ : isMaximized();
  // A settings file that cannot be written keeps its old placement; the window closes anyway.
  SaveWindowPlacement(y(), x(), maximised);
}

void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) {
    RunGuarded(this, [this] { FormShow(); });
  }
}

void TFormMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    RunGuarded(this, [this] { FormActivate(); });
  } else if (event->type() == QEvent::WindowStateChange && isMinimized() && TrayIcon1->isVisible() && !hiddenInTray_) {
    // While the tray icon is shown a minimise hides the window as Hide does.
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    maximisedWhenHidden_ = (change->oldState() & Qt::WindowMaximized) != 0;
    hiddenInTray_ = true;
    QTimer::singleShot(0, this, [this] {
      if (hiddenInTray_) {
        hide();
      }
    });
  }
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    closed_ = true;
    RunGuarded(this, [this] { FormClose(); });
    TrayIcon1->hide();
  }
  event->accept();
  if (OnClosed) {
    OnClosed();
  }
}

void TFormMain::ToolButton1Click() { Connect1Click(); }

void TFormMain::Settings1Click() {
  if (formSettings_ != nullptr) {
    formSettings_->Execute();
  }
}

void TFormMain::ToolButton2Click() { Settings1Click(); }

void TFormMain::Hide1Click() {
  if (!trayAvailable_()) {
    throw std::runtime_error("The desktop has no notification area for the tray icon; the window stays open");
  }
  maximisedWhenHidden_ = isMaximized();
  TrayIcon1->show();
  hiddenInTray_ = true;
  hide();
}

void TFormMain::ToolButton3Click() { Hide1Click(); }

void TFormMain::About1Click() {
  if (formAbout_ != nullptr) {
    formAbout_->exec();
  }
}

void TFormMain::ToolButton5Click() { About1Click(); }

void TFormMain::Charts1Click() {
  if (formCharts_ == nullptr) formCharts_ = new TFormCharts(core_.HistoryPath(), LanguageList, this);
  const DateTime now = ProgramClock().Now();
  formCharts_->ShowDay(QDate(now.year, now.month, now.day));
  formCharts_->show();
  formCharts_->raise();
  formCharts_->activateWindow();
}

void TFormMain::Exit1Click() { close(); }

void TFormMain::ToolButton6Click() { Exit1Click(); }

void TFormMain::Exit4Click() { Exit1Click(); }

void TFormMain::Show1Click() { RestoreFromTray(); }

void TFormMain::RestoreFromTray() {
  if (maximisedWhenHidden_) {
    showMaximized();
  } else {
    showNormal();
  }
  raise();
  activateWindow();
  TrayIcon1Restore();
}

void TFormMain::TrayIcon1Restore() {
  TrayIcon1->hide();
  hiddenInTray_ = false;
}

}  // namespace helvanta
