#include "app/usage_platform.hpp"

namespace helvanta {

const TUsagePlatform kUsagePlatform{
    "install the Windows service HelvantaService\n"
    "                                          (automatic start; needs administrator)\n",
    "ComPort=COM3 opens Windows' own port COM3;",
    "The service's events go to the Windows event log (Event Viewer, Windows Logs >\n"
    "Application, source HelvantaService) and,\n"};

}  // namespace helvanta
