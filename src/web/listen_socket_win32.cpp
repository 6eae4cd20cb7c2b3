#include <winsock2.h>
#include <ws2tcpip.h>

#include "runtime/wide_text_win32.hpp"
#include "web/listen_socket.hpp"

namespace helvanta {

namespace {

TListenSocket Failed(SOCKET socket, int error) {
  if (socket != INVALID_SOCKET) closesocket(socket);
  return {-1, 0, SystemMessage(static_cast<unsigned long>(error))};
}

// Winsock is started once per process, by the first socket's opening, and stays up.
int StartWinsock() {
  static const int error = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  return error;
}

}  // namespace

TListenSocket OpenListenSocket(const TListenAddress& address) {
  if (const int error = StartWinsock(); error != 0) return Failed(INVALID_SOCKET, error);
  sockaddr_storage storage{};
  int length = 0;
  const std::string host = address.host == "localhost" ? "127.0.0.1" : address.host;
  auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
  if (inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(static_cast<u_short>(address.port));
    length = sizeof(sockaddr_in);
  } else if (inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(static_cast<u_short>(address.port));
    length = sizeof(sockaddr_in6);
  } else {
    return Failed(INVALID_SOCKET, WSAEAFNOSUPPORT);
  }
  const SOCKET socket = WSASocketW(storage.ss_family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (socket == INVALID_SOCKET) return Failed(socket, WSAGetLastError());
  u_long nonBlocking = 1;
  if (ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) return Failed(socket, WSAGetLastError());
  // Windows never holds a port in TIME_WAIT against a new listener; what it needs is the
  // opposite: no other program may bind the same port while this one listens.
  const BOOL on = TRUE;
  setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
  // "::" then means IPv6 only; "0.0.0.0" is the way to all IPv4 addresses.
  if (storage.ss_family == AF_INET6)
    setsockopt(socket, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&on), sizeof on);
  if (bind(socket, reinterpret_cast<sockaddr*>(&storage), length) != 0) return Failed(socket, WSAGetLastError());
  // Connections beyond the server's limit wait here rather than being refused.
  if (listen(socket, SOMAXCONN) != 0) return Failed(socket, WSAGetLastError());
  sockaddr_storage bound{};
  int boundLength = sizeof bound;
  if (getsockname(socket, reinterpret_cast<sockaddr*>(&bound), &boundLength) != 0)
    return Failed(socket, WSAGetLastError());
  const u_short port = bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                                   : reinterpret_cast<sockaddr_in*>(&bound)->sin_port;
  return {static_cast<std::intptr_t>(socket), ntohs(port), {}};
}

void CloseListenSocket(std::intptr_t handle) {
  if (handle >= 0) closesocket(static_cast<SOCKET>(handle));
}

std::string AddressText(const void* socketAddress) {
  if (socketAddress == nullptr || StartWinsock() != 0) return {};
  char text[INET6_ADDRSTRLEN] = {};
  const auto* address = static_cast<const sockaddr*>(socketAddress);
  if (address->sa_family == AF_INET) {
    inet_ntop(AF_INET, &static_cast<const sockaddr_in*>(socketAddress)->sin_addr, text, sizeof text);
    return text;
  }
  if (address->sa_family != AF_INET6) return {};
  const in6_addr& v6 = static_cast<const sockaddr_in6*>(socketAddress)->sin6_addr;
  // An IPv4 client of a dual-stack socket is named as IPv4.
  if (IN6_IS_ADDR_V4MAPPED(&v6)) {
    inet_ntop(AF_INET, &v6.s6_addr[12], text, sizeof text);
  } else {
    inet_ntop(AF_INET6, &v6, text, sizeof text);
  }
  return text;
}

}  // namespace helvanta
