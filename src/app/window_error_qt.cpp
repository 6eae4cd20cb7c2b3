#include <QApplication>
#include <cstdio>

#include "app/startup.hpp"
#include "app/window_error.hpp"
#include "ui/error_box.hpp"

namespace helvanta {

void ReportWindowError(const std::exception_ptr& error) {
  // A message box needs a running application object; without one the terminal is the
  // only place left.
  if (QApplication::instance() != nullptr) {
    ShowException(nullptr, error);
    return;
  }
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", kApplicationTitleText, ErrorBoxText(e.what()).c_str());
  } catch (...) {
    std::fprintf(stderr, "%s: Unknown error.\n", kApplicationTitleText);
  }
}

}  // namespace helvanta
