#include "ui/window_mode.hpp"

#include <QApplication>
#include <memory>

#include "config/settings_dialog_qt.hpp"
#include "ui/display_text.hpp"
#include "ui/error_box.hpp"
#include "ui/form_about.hpp"
#include "ui/form_main.hpp"
#include "ui/start_options.hpp"

namespace helvanta {

int RunWindowMode(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(ToDisplay(kApplicationTitle));
  QApplication::setApplicationDisplayName(ToDisplay(kApplicationTitle));
  // The window closes the program, also while it is hidden in the tray.
  QApplication::setQuitOnLastWindowClosed(false);
  try {
    TFormMain formMain;
    formMain.OnClosed = [] { QCoreApplication::quit(); };
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
