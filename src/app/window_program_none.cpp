#include <cstdio>

#include "app/startup.hpp"
#include "app/window_program.hpp"

namespace helvanta {

int StartWindowProgram(char** /*argv*/) {
  std::fprintf(stderr, "%s: this build has no window; start it with -service.\n", kApplicationTitleText);
  return 1;
}

}  // namespace helvanta
