// The least a poller of the inverter can do: one thread that, once a second, writes the
// next request telegram and then polls and reads until the 13-byte answer is in (or the
// second is over). The service soak runs it beside the service against a simulator of
// its own, so that the service's CPU time can be given as a multiple of this floor.
// Usage: wire_floor DEVICE SECONDS

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "link/codec.hpp"
#include "link/measurands.hpp"

namespace {

std::int64_t RealtimeMs() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

void SleepUntilMs(std::int64_t ms) {
  const timespec at{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1'000'000};
  while (clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &at, nullptr) != 0) {
  }
}

bool Configure(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD | PARENB;
  cfsetispeed(&t, B1200);
  cfsetospeed(&t, B1200);
  // A pseudo-terminal drops the parity and says so with an error: that is fine here.
  tcsetattr(fd, TCSANOW, &t);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: wire_floor DEVICE SECONDS\n");
    return 2;
  }
  const int fd = open(argv[1], O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0 || !Configure(fd)) {
    std::perror(argv[1]);
    return 1;
  }
  const std::int64_t end = RealtimeMs() + std::atoll(argv[2]) * 1000;
  helvanta::InitMeasurands();
  std::int32_t index = -1;
  long answers = 0;
  for (std::int64_t second = (RealtimeMs() / 1000 + 1) * 1000; second < end; second += 1000) {
    SleepUntilMs(second + 5);
    const std::string request = helvanta::BuildRequest(index);
    if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) return 1;
    char answer[helvanta::kTelegramSize];
    std::size_t got = 0;
    while (got < sizeof answer) {
      const std::int64_t left = second + 1000 - RealtimeMs();
      if (left <= 0) break;
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) break;
      const ssize_t n = read(fd, answer + got, sizeof answer - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got == sizeof answer) ++answers;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  // One line for the soak scripts: CPU seconds, then answers received whole.
  std::printf("%.3f %ld\n", cpu, answers);
  return 0;
}
