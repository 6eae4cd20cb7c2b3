#include "ui/screenshots.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include "config/settings_dialog_qt.hpp"
#include "ui/error_box.hpp"
#include "ui/form_about.hpp"
#include "ui/form_main.hpp"

namespace helvanta {
namespace {

constexpr char kOption[] = "--screenshots=";
// Long enough for all 45 measurands to be answered and one history move.
constexpr int kWaitSeconds = 62;

QString ScreenshotFolder() {
  const QString prefix = QString::fromLatin1(kOption);
  for (const QString& argument : QCoreApplication::arguments()) {
    if (argument.startsWith(prefix)) {
      return argument.mid(prefix.size());
    }
  }
  return {};
}

void Save(QWidget& widget, const QString& folder, const char* name) {
  widget.grab().save(QDir(folder).filePath(QString::fromLatin1(name)), "PNG");
}

}  // namespace

void StartScreenshotsIfAsked(TFormMain& formMain, TFormSettings& formSettings, TFormAbout& formAbout) {
  const QString folder = ScreenshotFolder();
  if (folder.isEmpty()) {
    return;
  }
  QDir().mkpath(folder);
  RunGuarded(&formMain, [&formMain] { formMain.Connect1Click(); });
  QTimer::singleShot(kWaitSeconds * 1000, &formMain, [&formMain, &formSettings, &formAbout, folder] {
    Save(formMain, folder, "main_window.png");
    QTimer::singleShot(500, &formSettings, [&formSettings, folder] {
      Save(formSettings, folder, "settings_dialog.png");
      formSettings.reject();
    });
    formMain.Settings1Click();
    QTimer::singleShot(500, &formAbout, [&formAbout, folder] {
      Save(formAbout, folder, "about_box.png");
      formAbout.reject();
    });
    formMain.About1Click();
    formMain.close();
  });
}

}  // namespace helvanta
