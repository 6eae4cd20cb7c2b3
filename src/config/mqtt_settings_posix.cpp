#include <sys/stat.h>

#include "config/mqtt_settings.hpp"

namespace helvanta {

bool OthersCanRead(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IROTH) != 0;
}

}  // namespace helvanta
