#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "runtime/clock.hpp"
#include "sim/help_text.hpp"
#include "sim/line_posix.hpp"
#include "sim/link_guard_posix.hpp"
#include "sim/options.hpp"
#include "sim/sim_clock.hpp"
#include "sim/sim_log.hpp"
#include "sim/simulator_posix.hpp"

namespace {

volatile std::sig_atomic_t gStop = 0;

// How long the last answers may take to be read before the line is hung up.
constexpr int kHangUpDrainMs = 2000;

extern "C" void OnStopSignal(int) { gStop = 1; }

// Blocks SIGINT and SIGTERM everywhere but in the simulator's wait, so that a stop
// request can never fall between checking the flag and starting to wait.
sigset_t InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigset_t waitMask;
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGINT);
  sigdelset(&waitMask, SIGTERM);
  return waitMask;
}

helvanta::DateTime StartTime(const helvanta::sim::SimOptions& options) {
  helvanta::DateTime start = helvanta::ProgramClock().Now();
  if (options.startSecond) {
    start.hour = *options.startSecond / 3600;
    start.minute = *options.startSecond / 60 % 60;
    start.second = *options.startSecond % 60;
    start.millisecond = 0;
  }
  return start;
}

int Serve(const helvanta::sim::SimOptions& options) {
  using namespace helvanta::sim;
  const sigset_t waitMask = InstallStopSignals();
  const std::uint64_t seed = options.seed ? *options.seed : std::random_device{}();

  SimLog log = options.log.empty() ? SimLog() : SimLog(options.log);
  SerialLine line = options.device.empty() ? SerialLine::OpenPseudoTerminal() : SerialLine::OpenDevice(options.device);
  std::optional<LinkGuard> link;
  if (!options.link.empty()) link.emplace(options.link, line.Path());

  const SimClock clock(StartTime(options), options.speed);
  log.Line("# helvanta-sim on " + line.Path() + ", seed " + std::to_string(seed) + ", simulated day from " +
           FormatTimestamp(clock.Now()));
  std::printf("%s\n", line.Path().c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "helvanta-sim: serving %s with seed %llu\n", line.Path().c_str(),
               static_cast<unsigned long long>(seed));

  Simulator simulator(options, seed, line, log, clock);
  const Simulator::End end = simulator.Run(waitMask, gStop);
  if (end == Simulator::End::HungUp) {
    line.Drain(kHangUpDrainMs);
    line.Close();
    std::fprintf(stderr, "helvanta-sim: hung up after %llu answers\n",
                 static_cast<unsigned long long>(simulator.Stats().answered));
  }
  std::fprintf(stderr, "helvanta-sim: %s\n", simulator.Stats().Summary().c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  helvanta::sim::SimOptions options;
  try {
    options = helvanta::sim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const helvanta::sim::UsageError& e) {
    std::fprintf(stderr, "helvanta-sim: %s\nTry 'helvanta-sim --help'.\n", e.what());
    return 2;
  }
  if (options.help) {
    const std::string_view help = helvanta::sim::HelpText();
    std::fwrite(help.data(), 1, help.size(), stdout);
    return 0;
  }
  try {
    return Serve(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "helvanta-sim: %s\n", e.what());
    return 1;
  }
}
