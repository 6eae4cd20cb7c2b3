#include <exception>

#include "app/startup.hpp"
#include "app/window_error.hpp"
#include "ui/window_mode.hpp"

// helvanta-window: window mode, started by helvanta with its own arguments once it has
// checked them. An exception that escapes the window host is reported and the program
// ends with 0, as helvanta does.
int main(int argc, char** argv) {
  using namespace helvanta;
  PrepareProgram();
  try {
    return RunWindowMode(argc, argv);
  } catch (const std::exception&) {
    ReportWindowError(std::current_exception());
  }
  return 0;
}
