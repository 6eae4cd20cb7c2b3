#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/window_program.hpp"
#include "runtime/program_folder.hpp"

namespace helvanta {

int StartWindowProgram(char** argv) {
  const std::string program = ProgramFolder() + "helvanta-window";
  // Warnings already written must not be lost or repeated by the new image.
  std::fflush(nullptr);
  execv(program.c_str(), argv);
  const int error = errno;
  std::fprintf(stderr, "helvanta: cannot start the window: %s: %s\n", program.c_str(), std::strerror(error));
  return 1;
}

}  // namespace helvanta
