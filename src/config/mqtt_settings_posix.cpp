#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "config/mqtt_settings.hpp"

namespace helvanta {

std::string MachineHostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

bool OthersCanRead(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IROTH) != 0;
}

}  // namespace helvanta
