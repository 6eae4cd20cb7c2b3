// Prints the text of HelvantaService.service for a program installed elsewhere, the
// same text that -service -install writes; the Debian package ships it.
//   helvanta-service-unit <executable> <output folder>
#include <cstdio>
#include <string>

#include "service/service_installer.hpp"

int main(int argc, char** argv) {
  if (argc != 3 || argv[1][0] != '/' || argv[2][0] != '/') {
    std::fprintf(stderr, "usage: %s <absolute path of helvanta> <absolute output folder>\n", argv[0]);
    return 2;
  }
  const std::string executable = argv[1];
  const std::string programFolder = executable.substr(0, executable.rfind('/') + 1);
  // A packaged unit is written before anyone edits the settings, so it lets MQTT and the
  // web page reach the network should they be turned on later.
  std::fputs(helvanta::ServiceUnitText({executable, programFolder, argv[2], true}).c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
