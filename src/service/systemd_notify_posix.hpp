#pragma once

#include <string_view>

namespace helvanta {

// Tells the service manager the service's state ("READY=1", "STOPPING=1") through the
// datagram socket it names in NOTIFY_SOCKET (a path, or an abstract name after '@');
// nothing when it names none. The protocol is a line of text per datagram, so a few
// lines here spare the service a library and the ones it brings along (a megabyte of
// resident memory for one call).
// Whether the state was sent.
bool NotifySystemd(std::string_view state);

}  // namespace helvanta
