// Measures the serial port on a pseudo-terminal:
//  1. CPU time of the whole process while an open port sits idle (target < 0.05 s per 60 s);
//  2. latency from the last byte of an answer written on the far end (after the others,
//     which came a millisecond earlier) to its delivery to the packet handler on the
//     main thread (target: median < 1 ms, p99 < 5 ms).
// Usage: serial_bench [idle-seconds] [answers]   (defaults 60 and 10000)

#include <fcntl.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/main_loop.hpp"
#include "serial/comdatapacket.hpp"
#include "serial/comport.hpp"

namespace {

using SteadyClock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Serves the main queue through the main loop the service runs, until done() or the
// deadline.
template <typename Done>
bool Serve(helvanta::MainLoop& loop, Done done, SteadyClock::time_point deadline) {
  for (;;) {
    if (done()) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    if (left <= 0) return false;
    loop.RunOnce(static_cast<int>(std::min<long long>(left, 1000)));
  }
}

std::string Answer(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text,
                "\x02"
                "0053008E%04X",
                value & 0xFFFFu);
  return std::string(text, 13);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace helvanta;
  const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const int answers = argc > 2 ? std::atoi(argv[2]) : 10000;
  if (idleSeconds < 0 || answers <= 0) {
    std::fprintf(stderr, "usage: serial_bench [idle-seconds] [answers]\n");
    return 2;
  }

  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname(master) == nullptr) {
    std::perror("pseudo-terminal");
    return 1;
  }
  TComPort port;
  port.SetPort(ptsname(master));
  port.SetBaudRate(TBaudRate::br1200);
  port.Parity().SetBits(TParityBits::prEven);
  TComDataPacket framer;
  framer.SetStartString(std::string(1, '\x02'));
  framer.SetSize(13);
  framer.SetComPort(&port);

  SteadyClock::time_point delivered{};
  int packets = 0;
  framer.OnPacket = [&](TComDataPacket*, const std::string&) {
    delivered = SteadyClock::now();
    ++packets;
  };
  port.Open();
  MainLoop loop;

  const double cpuBefore = ProcessCpuSeconds();
  Serve(
      loop, [] { return false; }, SteadyClock::now() + std::chrono::seconds(idleSeconds));
  const double idleCpu = ProcessCpuSeconds() - cpuBefore;
  std::printf("idle: %d s open, process CPU %.4f s (target < %.4f s)\n", idleSeconds, idleCpu,
              0.05 * idleSeconds / 60.0);

  std::vector<double> latencies;
  latencies.reserve(static_cast<std::size_t>(answers));
  for (int i = 0; i < answers; ++i) {
    const std::string answer = Answer(static_cast<unsigned>(i));
    const int wanted = packets + 1;
    // All but the last byte first, as a line delivers them: the packet must come with
    // the last byte, however the port lets the first ones gather.
    const std::size_t head = answer.size() - 1;
    if (write(master, answer.data(), head) != static_cast<ssize_t>(head)) {
      std::perror("write");
      return 1;
    }
    usleep(1000);
    if (write(master, answer.data() + head, 1) != 1) {
      std::perror("write");
      return 1;
    }
    const SteadyClock::time_point written = SteadyClock::now();
    if (!Serve(
            loop, [&] { return packets >= wanted; }, written + std::chrono::seconds(5))) {
      std::fprintf(stderr, "answer %d not delivered\n", i);
      return 1;
    }
    latencies.push_back(std::chrono::duration<double, std::milli>(delivered - written).count());
  }
  std::sort(latencies.begin(), latencies.end());
  const auto at = [&](double q) { return latencies[static_cast<std::size_t>(q * (latencies.size() - 1))]; };
  std::printf("latency over %d answers: median %.3f ms, p99 %.3f ms, max %.3f ms (targets 1 ms, 5 ms)\n", answers,
              at(0.5), at(0.99), latencies.back());

  port.Close();
  framer.SetComPort(nullptr);
  close(master);
  return 0;
}
