#include <winsock2.h>

#include <algorithm>

#include "mqtt/mqtt_session.hpp"
#include "mqtt/mqtt_socket_wait.hpp"

namespace helvanta {

namespace {

// The socket's state now, without waiting: WSAPoll reads it as poll() does, while the
// events below only end the sleep (FD_WRITE, for one, is signalled once per full buffer).
short Revents(SOCKET socket, short events, int timeoutMs) {
  WSAPOLLFD fd{socket, events, 0};
  const int n = WSAPoll(&fd, 1, timeoutMs);
  if (n == SOCKET_ERROR) return -1;
  return n > 0 ? fd.revents : 0;
}

}  // namespace

struct TMqttSocketWait::Events {
  HANDLE wake = nullptr;  // auto-reset: one wait takes one wake-up
  WSAEVENT socket = WSA_INVALID_EVENT;
};

TMqttSocketWait::TMqttSocketWait() : events_(std::make_unique<Events>()) {
  events_->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (events_->wake == nullptr) throw EMqttSetup("CreateEvent failed");
  events_->socket = WSACreateEvent();
  if (events_->socket == WSA_INVALID_EVENT) {
    CloseHandle(events_->wake);
    throw EMqttSetup("WSACreateEvent failed");
  }
}

TMqttSocketWait::~TMqttSocketWait() {
  WSACloseEvent(events_->socket);
  CloseHandle(events_->wake);
}

// Windows raises no signal for a write to a closed socket: send() fails with WSAECONNRESET.
void TMqttSocketWait::PrepareThread() {}

void TMqttSocketWait::Wake() const { SetEvent(events_->wake); }

MqttSocketReady TMqttSocketWait::Wait(int socket, bool wantWrite, std::int64_t timeoutMs) {
  const short events = static_cast<short>(POLLRDNORM | (wantWrite ? POLLWRNORM : 0));
  const auto s = static_cast<SOCKET>(socket);
  const WSAEVENT handles[2] = {events_->wake, events_->socket};
  const DWORD count = socket >= 0 ? 2 : 1;
  // Selected before the first look, so that whatever happens after it ends the sleep.
  if (socket >= 0 &&
      WSAEventSelect(s, events_->socket, FD_READ | FD_CLOSE | FD_CONNECT | (wantWrite ? FD_WRITE : 0)) != 0)
    return {true, false, false};
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max<std::int64_t>(timeoutMs, 0));
  for (;;) {
    const short revents = socket >= 0 ? Revents(s, events, 0) : 0;
    if (revents < 0) return {true, false, false};
    const ULONGLONG now = GetTickCount64();
    // Ready already: the wait only takes a pending wake-up.
    const DWORD waitMs = revents != 0 || now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    const DWORD woken = WSAWaitForMultipleEvents(count, handles, FALSE, waitMs, FALSE);
    if (woken == WSA_WAIT_FAILED) return {true, false, false};
    if (woken == WSA_WAIT_EVENT_0 + 1) {
      // Takes the recorded events and resets the event object. An event that leaves the
      // socket with nothing to do (a connection's completion recorded again) sleeps on.
      WSANETWORKEVENTS taken{};
      if (WSAEnumNetworkEvents(s, events_->socket, &taken) != 0) return {true, false, false};
      if (revents == 0) continue;
    }
    return {false, (revents & (POLLRDNORM | POLLERR | POLLHUP)) != 0, (revents & POLLWRNORM) != 0};
  }
}

bool TMqttSocketWait::WaitWritable(int socket, std::int64_t timeoutMs) {
  return Revents(static_cast<SOCKET>(socket), POLLWRNORM, static_cast<int>(timeoutMs)) > 0;
}

}  // namespace helvanta
