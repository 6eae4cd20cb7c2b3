#pragma once

#include <cstdint>
#include <string>

#include "config/web_settings.hpp"

namespace helvanta {

// A listening TCP socket, or why there is none.
struct TListenSocket {
  std::intptr_t handle = -1;  // the platform's socket; -1 when it could not be opened
  int port = 0;               // the port bound (the chosen one when asked for port 0)
  std::string error;          // the system's reason, e.g. "Address already in use"
};

// Opens, binds and listens; the caller owns the socket from then on.
TListenSocket OpenListenSocket(const TListenAddress& address);
void CloseListenSocket(std::intptr_t handle);
// A client's address (the platform's socket address) as text: "192.0.2.7", "2001:db8::1".
std::string AddressText(const void* socketAddress);

}  // namespace helvanta
