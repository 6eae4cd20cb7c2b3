#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#include "mqtt/mqtt_session.hpp"
#include "mqtt/mqtt_socket_wait.hpp"

namespace helvanta {

struct TMqttSocketWait::Events {
  int wakeFd = -1;
};

TMqttSocketWait::TMqttSocketWait() : events_(std::make_unique<Events>()) {
  events_->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (events_->wakeFd < 0) throw EMqttSetup("eventfd failed");
}

TMqttSocketWait::~TMqttSocketWait() { close(events_->wakeFd); }

void TMqttSocketWait::PrepareThread() {
  // A write to a socket the broker closed must fail with EPIPE, not end the process.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
}

void TMqttSocketWait::Wake() const {
  const std::uint64_t one = 1;
  // A full counter still wakes the thread, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t n = write(events_->wakeFd, &one, sizeof one);
}

MqttSocketReady TMqttSocketWait::Wait(int socket, bool wantWrite, std::int64_t timeoutMs) {
  pollfd fds[2] = {{events_->wakeFd, POLLIN, 0}, {-1, 0, 0}};
  if (socket >= 0) fds[1] = {socket, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0};
  if (poll(fds, socket >= 0 ? 2 : 1, static_cast<int>(timeoutMs)) < 0 && errno != EINTR) return {true, false, false};
  if ((fds[0].revents & POLLIN) != 0) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = read(events_->wakeFd, &count, sizeof count);
  }
  return {false, (fds[1].revents & (POLLIN | POLLERR | POLLHUP)) != 0, (fds[1].revents & POLLOUT) != 0};
}

bool TMqttSocketWait::WaitWritable(int socket, std::int64_t timeoutMs) {
  pollfd fd{socket, POLLOUT, 0};
  return poll(&fd, 1, static_cast<int>(timeoutMs)) > 0;
}

}  // namespace helvanta
