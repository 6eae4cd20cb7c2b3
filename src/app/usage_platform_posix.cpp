#include "app/usage_platform.hpp"

namespace helvanta {

const TUsagePlatform kUsagePlatform{
    "write and enable the systemd unit\n"
    "                                          HelvantaService\n",
    "[Ports] COM1=/dev/ttyUSB0 names a port's device;",
    "The service's events go to the system log (journalctl -t HelvantaService) and,\n"};

}  // namespace helvanta
