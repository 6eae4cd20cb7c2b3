#include "ui/window_mode.hpp"

#include <QApplication>
#include <memory>

#include "config/settings_dialog_qt.hpp"
#include "ui/display_text.hpp"
#include "ui/error_box.hpp"
#include "ui/form_about.hpp"
#include "ui/form_main.hpp"
#include "ui/start_options.hpp"
#include "ui/stop_signals.hpp"
#include "ui/window_application.hpp"

namespace helvanta {

int RunWindowMode(int argc, char** argv) {
  const std::unique_ptr<QApplication> application = StartWindowApplication(argc, argv);
  QApplication::setApplicationName(ToDisplay(kApplicationTitle));
  QApplication::setApplicationDisplayName(ToDisplay(kApplicationTitle));
  // Wayland matches the window to helvanta.desktop by this name, X11 by StartupWMClass.
  QGuiApplication::setDesktopFileName(QStringLiteral("helvanta"));
  // The window closes the program, also while it is hidden in the tray.
  QApplication::setQuitOnLastWindowClosed(false);
  try {
    TFormMain formMain;
    formMain.OnClosed = [] { QCoreApplication::quit(); };
    // SIGTERM and Ctrl-C close the window as File > Exit does: port closed, placement saved.
    TWindowStopSignals stopSignals([&formMain] { formMain.Exit1Click(); });
    TFormSettings formSettings(formMain.LanguageList, &formMain);
    TFormAbout formAbout(&formMain);
    formMain.SetDialogs(&formSettings, &formAbout);
    formMain.show();
    ApplyStartOptions(formMain, formSettings, formAbout);
    QApplication::exec();
  } catch (...) {
    ShowException(nullptr, std::current_exception());
  }
  return 0;
}

}  // namespace helvanta
