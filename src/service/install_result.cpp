#include <cstdio>

#include "service/service_installer.hpp"

namespace helvanta {

int ReportInstallResult(const TServiceInstallResult& result, bool silent) {
  if (!result.ok) {
    std::fprintf(stderr, "%s\n", result.message.c_str());
    return 1;
  }
  if (!silent) std::printf("%s\n", result.message.c_str());
  return 0;
}

}  // namespace helvanta
