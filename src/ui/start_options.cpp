#include "ui/start_options.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include "config/settings_dialog_qt.hpp"
#include "link/measurands.hpp"
#include "runtime/clock.hpp"
#include "ui/error_box.hpp"
#include "ui/form_about.hpp"
#include "ui/form_main.hpp"

namespace helvanta {
namespace {

constexpr char kConnectOption[] = "--connect";
constexpr char kScreenshotOption[] = "--screenshots=";
// How long a dialog is shown before its picture is taken.
constexpr int kDialogSettleMs = 500;

QString OptionValue(const char* option) {
  const QString prefix = QString::fromLatin1(option);
  for (const QString& argument : QCoreApplication::arguments()) {
    if (argument.startsWith(prefix)) {
      return argument.mid(prefix.size());
    }
  }
  return {};
}

bool HasOption(const char* option) { return QCoreApplication::arguments().contains(QString::fromLatin1(option)); }

// From now to one second past the first full minute by which a whole pass (one tick
// per measurand and one to show the last) is done.
int MillisecondsToFullHistory() {
  const DateTime now = ProgramClock().Now();
  const int passMs = (kMeasurandCount + 1) * 1000;
  const int intoMinuteMs = (now.second * 1000 + now.millisecond + passMs) % 60000;
  return passMs + (60000 - intoMinuteMs) + 1000;
}

void Save(QWidget& widget, const QString& folder, const char* name) {
  widget.grab().save(QDir(folder).filePath(QString::fromLatin1(name)), "PNG");
}

void TakeScreenshots(TFormMain& formMain, TFormSettings& formSettings, TFormAbout& formAbout, const QString& folder) {
  QDir().mkpath(folder);
  QTimer::singleShot(MillisecondsToFullHistory(), &formMain, [&formMain, &formSettings, &formAbout, folder] {
    Save(formMain, folder, "main_window.png");
    QTimer::singleShot(kDialogSettleMs, &formSettings, [&formSettings, folder] {
      Save(formSettings, folder, "settings_dialog.png");
      formSettings.reject();
    });
    formMain.Settings1Click();
    QTimer::singleShot(kDialogSettleMs, &formAbout, [&formAbout, folder] {
      Save(formAbout, folder, "about_box.png");
      formAbout.reject();
    });
    formMain.About1Click();
    formMain.close();
  });
}

}  // namespace

void ApplyStartOptions(TFormMain& formMain, TFormSettings& formSettings, TFormAbout& formAbout) {
  const QString screenshotFolder = OptionValue(kScreenshotOption);
  if (HasOption(kConnectOption) || !screenshotFolder.isEmpty()) {
    RunGuarded(&formMain, [&formMain] { formMain.Connect1Click(); });
  }
  if (!screenshotFolder.isEmpty()) {
    TakeScreenshots(formMain, formSettings, formAbout, screenshotFolder);
  }
}

}  // namespace helvanta
