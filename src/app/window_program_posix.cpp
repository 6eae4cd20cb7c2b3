#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/window_program.hpp"
#include "config/file_locations.hpp"

namespace helvanta {

int StartWindowProgram(char** argv) {
  const TFileLocations files = CurrentFileLocations();
  const std::string& program = files.windowProgram;
  // Warnings already written must not be lost or repeated by the new image.
  std::fflush(nullptr);
  execv(program.c_str(), argv);
  const int error = errno;
  if (files.installed && error == ENOENT) {
    std::fprintf(stderr, "helvanta: the window is in the package helvanta-window; install it, or start -service\n");
  } else {
    std::fprintf(stderr, "helvanta: cannot start the window: %s: %s\n", program.c_str(), std::strerror(error));
  }
  return 1;
}

}  // namespace helvanta
