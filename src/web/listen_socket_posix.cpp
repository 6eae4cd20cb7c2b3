#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "web/listen_socket.hpp"

namespace helvanta {

namespace {

TListenSocket Failed(int fd, int error) {
  if (fd >= 0) close(fd);
  return {-1, 0, std::strerror(error)};
}

}  // namespace

TListenSocket OpenListenSocket(const TListenAddress& address) {
  sockaddr_storage storage{};
  socklen_t length = 0;
  const std::string host = address.host == "localhost" ? "127.0.0.1" : address.host;
  auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
  if (inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(static_cast<std::uint16_t>(address.port));
    length = sizeof(sockaddr_in);
  } else if (inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(static_cast<std::uint16_t>(address.port));
    length = sizeof(sockaddr_in6);
  } else {
    return Failed(-1, EAFNOSUPPORT);
  }
  const int fd = socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return Failed(fd, errno);
  // A restart right after a stop must not wait for the old connections' TIME_WAIT.
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  // "::" then means IPv6 only; "0.0.0.0" is the way to all IPv4 addresses.
  if (storage.ss_family == AF_INET6) setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
  if (bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0) return Failed(fd, errno);
  // Connections beyond the server's limit wait here rather than being refused.
  if (listen(fd, SOMAXCONN) != 0) return Failed(fd, errno);
  sockaddr_storage bound{};
  socklen_t boundLength = sizeof bound;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &boundLength) != 0) return Failed(fd, errno);
  const std::uint16_t port = bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                                         : reinterpret_cast<sockaddr_in*>(&bound)->sin_port;
  return {fd, ntohs(port), {}};
}

void CloseListenSocket(std::intptr_t handle) {
  if (handle >= 0) close(static_cast<int>(handle));
}

std::string AddressText(const void* socketAddress) {
  if (socketAddress == nullptr) return {};
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
