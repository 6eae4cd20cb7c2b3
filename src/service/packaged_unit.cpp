#include "service/packaged_unit.hpp"

#include "service/service_installer.hpp"

namespace helvanta {

std::string PackagedServiceUnitText() {
  TServiceUnitSettings settings;
  settings.executable = "/usr/bin/helvanta";
  settings.programFolder = "/usr/bin/";
  settings.outputFolder = "/var/lib/helvanta/Data";
  settings.network = true;
  settings.stateDirectory = "helvanta";
  settings.documentation = "man:helvanta(1)";
  return ServiceUnitText(settings);
}

}  // namespace helvanta
