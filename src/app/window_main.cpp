#include <cstdio>
#include <exception>
#include <string>

#include "app/startup.hpp"
#include "app/window_error.hpp"
#include "config/file_locations.hpp"
#include "config/user_files.hpp"
#include "ui/window_mode.hpp"

// helvanta-window: window mode, started by helvanta with its own arguments once it has
// checked them. An exception that escapes the window host is reported and the program
// ends with 0, as helvanta does.
int main(int argc, char** argv) {
  using namespace helvanta;
  PrepareProgram();
  SetProgramMode(TProgramMode::kWindow);
  // A file that could not be made shows again where the window reads or saves it.
  for (const std::string& failure : PrepareUserFiles(CurrentFileLocations())) {
    std::fprintf(stderr, "helvanta: %s\n", failure.c_str());
  }
  try {
    return RunWindowMode(argc, argv);
  } catch (const std::exception&) {
    ReportWindowError(std::current_exception());
  }
  return 0;
}
