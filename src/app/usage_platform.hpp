#pragma once

namespace helvanta {

// The parts of --help that name the platform's own service manager, ports and log.
struct TUsagePlatform {
  const char* install;       // the -install line's words, two lines of the usage column
  const char* portsExample;  // the [Ports] entry of the settings line
  const char* eventsGoTo;    // where the service's events go, ending in " and,\n"
};

extern const TUsagePlatform kUsagePlatform;

}  // namespace helvanta
