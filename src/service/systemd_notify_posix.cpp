#include "service/systemd_notify_posix.hpp"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace helvanta {

bool NotifySystemd(std::string_view state) {
  const char* name = std::getenv("NOTIFY_SOCKET");
  if (name == nullptr) return false;
  const std::size_t length = std::strlen(name);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (length < 2 || length >= sizeof address.sun_path || (name[0] != '/' && name[0] != '@')) return false;
  std::memcpy(address.sun_path, name, length);
  if (name[0] == '@') address.sun_path[0] = '\0';
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
  const bool sent = sendto(fd, state.data(), state.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
                           size) == static_cast<ssize_t>(state.size());
  close(fd);
  return sent;
}

}  // namespace helvanta
