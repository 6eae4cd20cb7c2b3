#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <system_error>

#include "ui/stop_signals.hpp"

namespace helvanta {

namespace {

// The write end of the pipe, for the signal handler.
volatile std::sig_atomic_t gSignalWriteFd = -1;

void OnStopSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  // A full pipe already holds a stop that has not been handled; nothing is lost.
  [[maybe_unused]] const ssize_t written = write(gSignalWriteFd, &byte, 1);
  errno = savedErrno;
}

constexpr int kStopSignals[] = {SIGTERM, SIGINT};

}  // namespace

// A self-pipe rather than a signalfd: a signalfd needs the signals blocked, and a blocked
// mask would be inherited by every program the window opens (file manager, browser).
struct TWindowStopSignals::TImpl {
  int fds[2] = {-1, -1};
  struct sigaction previous[std::size(kStopSignals)] = {};
  std::unique_ptr<QSocketNotifier> notifier;
};

TWindowStopSignals::TWindowStopSignals(std::function<void()> onStop) : impl_(std::make_unique<TImpl>()) {
  if (pipe2(impl_->fds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::system_error(errno, std::generic_category(), "pipe2");
  gSignalWriteFd = impl_->fds[1];
  impl_->notifier = std::make_unique<QSocketNotifier>(impl_->fds[0], QSocketNotifier::Read);
  QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated,
                   [readFd = impl_->fds[0], onStop = std::move(onStop)] {
                     char buffer[64];
                     while (read(readFd, buffer, sizeof buffer) > 0) {
                     }
                     onStop();
                   });
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Calls that the signal interrupts go on instead of failing with EINTR.
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
    sigaction(kStopSignals[i], nullptr, &impl_->previous[i]);
    // A signal ignored by whoever started the window (a script's background job ignores
    // Ctrl-C) stays ignored.
    if (impl_->previous[i].sa_handler != SIG_IGN) sigaction(kStopSignals[i], &action, nullptr);
  }
}

TWindowStopSignals::~TWindowStopSignals() {
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) sigaction(kStopSignals[i], &impl_->previous[i], nullptr);
  gSignalWriteFd = -1;
  impl_->notifier.reset();
  close(impl_->fds[0]);
  close(impl_->fds[1]);
}

}  // namespace helvanta
