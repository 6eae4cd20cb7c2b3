#pragma once

#include <string>

namespace helvanta {

// The unit of the Debian package: /usr/bin/helvanta, its logs in /var/lib/helvanta/Data
// (the state folder systemd gives the service), the manual page as documentation. It is
// written before anyone edits the settings, so MQTT and the web page may reach the
// network should they be turned on later.
std::string PackagedServiceUnitText();

}  // namespace helvanta
