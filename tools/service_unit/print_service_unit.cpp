// Prints the text of HelvantaService.service that the Debian package ships, the same
// text that -service -install writes but for the installed layout:
//   helvanta-service-unit >debian/helvanta.HelvantaService.service
// The service tests compare the shipped file with it.
#include <cstdio>

#include "service/packaged_unit.hpp"

int main() {
  std::fputs(helvanta::PackagedServiceUnitText().c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
