#include "app/faketime_run_posix.hpp"

#include <poll.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <thread>

#include "runtime/clock.hpp"
#include "support/clock_readings.hpp"
#include "support/file_bytes.hpp"
#include "support/log_lines.hpp"
#include "support/spawn_posix.hpp"

namespace helvanta::testing {

namespace {

constexpr const char* kZoneFile = "/usr/share/zoneinfo/Europe/Berlin";

std::int64_t RealUtcMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::int64_t FloorSeconds(std::int64_t ms) { return ms >= 0 ? ms / 1000 : (ms - 999) / 1000; }

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string FaketimeMissing() {
  if (!std::filesystem::exists(HELVANTA_FAKETIME_LIBRARY)) {
    return std::string("libfaketime is not installed (no ") + HELVANTA_FAKETIME_LIBRARY + "; Debian package faketime)";
  }
  if (!std::filesystem::exists(kZoneFile)) return std::string("no time zone data (no ") + kZoneFile + ")";
  return {};
}

std::int64_t BerlinUtcMs(const DateTime& local, bool later) {
  const ManualClock berlin({}, CentralEuropeanOffset);
  return berlin.UtcOfLocal(local, later);
}

DateTime BerlinTime(std::int64_t utcMs) {
  return FromEpochMilliseconds(utcMs + static_cast<std::int64_t>(CentralEuropeanOffset(utcMs)) * 60'000);
}

FaketimeRun::FaketimeRun(int seed) {
  std::filesystem::copy_file(HELVANTA_BINARY_DIR "/src/app/helvanta", File("helvanta"));
  std::filesystem::copy_file(HELVANTA_SOURCE_DIR "/packaging/Template.csv", File("Template.csv"));
  std::filesystem::create_directory(File("Data"));
  // The simulated day starts at 00:00 on its steady clock, which its log's second time
  // column shows: request times that no zone and no clock step can move.
  simulator_ = std::make_unique<sim::test::SimProcess>(
      std::vector<std::string>{"--seed", std::to_string(seed), "--start", "00:00:00", "--log", File("sim.log")},
      File("sim.err"));
  if (simulator_->DevicePath().empty()) throw std::runtime_error("helvanta-sim named no device");
  folder_.WriteFile("Helvanta.ini",
                    "[Data Logging]\nComPort=COM1\nRequestInterval=1\nFrom=00:00:00\nTill=23:59:59\n"
                    "TemplateFile=" +
                        File("Template.csv") + "\nOutputFolder=" + File("Data") +
                        "\n[Ports]\nCOM1=" + simulator_->DevicePath() + "\n");
}

FaketimeRun::~FaketimeRun() { KillService(); }

void FaketimeRun::SetClock(const DateTime& local, bool later) {
  // Whole seconds keep the faked seconds in step with the real ones.
  offsetSeconds_ = FloorSeconds(BerlinUtcMs(local, later)) - FloorSeconds(RealUtcMs());
  WriteOffset();
}

void FaketimeRun::StepClock(std::int64_t seconds) {
  offsetSeconds_ += seconds;
  WriteOffset();
}

void FaketimeRun::WriteOffset() {
  // Renamed into place, so that the service never reads half a file.
  // Built piece by piece: GCC 12 at -O3 warns falsely about "literal" + to_string.
  std::string text = offsetSeconds_ >= 0 ? "+" : "";
  text += std::to_string(offsetSeconds_);
  text += '\n';
  folder_.WriteFile("faketime.new", text);
  std::filesystem::rename(File("faketime.new"), File("faketime"));
}

std::int64_t FaketimeRun::FakeUtcMs() const { return RealUtcMs() + offsetSeconds_ * 1000; }

void FaketimeRun::WaitUntil(const DateTime& local, bool later) const {
  const std::int64_t left = BerlinUtcMs(local, later) - FakeUtcMs();
  if (left > 0) std::this_thread::sleep_for(std::chrono::milliseconds(left));
}

void FaketimeRun::StartService() {
  const std::vector<std::string> environment{
      "PATH=/usr/bin:/bin", "TZ=Europe/Berlin", "LC_ALL=C", "LD_PRELOAD=" HELVANTA_FAKETIME_LIBRARY,
      "FAKETIME_DONT_FAKE_MONOTONIC=1", "FAKETIME_NO_CACHE=1", "FAKETIME_TIMESTAMP_FILE=" + File("faketime"),
      // AddressSanitizer wants its runtime first in the list of libraries; here libfaketime is.
      "ASAN_OPTIONS=verify_asan_link_order=0"};
  service_ = SpawnWithOutput({File("helvanta"), "-service"}, File("events.txt"), true, environment);
  if (service_ < 0) throw std::runtime_error("cannot start helvanta");
}

int FaketimeRun::StopService() {
  if (service_ <= 0) return -1;
  kill(service_, SIGTERM);
  const std::optional<int> code = WaitExitWithin(service_, std::chrono::seconds(10));
  if (!code) {
    KillService();
    return -1;
  }
  service_ = -1;
  return *code;
}

void FaketimeRun::KillService() {
  if (service_ <= 0) return;
  KillAndReap(service_);
  service_ = -1;
}

std::string FaketimeRun::Events() const { return ReadBytes(File("events.txt")); }

int FaketimeRun::CountEvents(const std::string& text) const {
  const std::string events = Events();
  int count = 0;
  for (auto at = events.find(text); at != std::string::npos; at = events.find(text, at + text.size())) ++count;
  return count;
}

bool FaketimeRun::WaitForEvents(const std::string& text, int times, int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (CountEvents(text) < times) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    poll(nullptr, 0, 20);
  }
  return true;
}

std::string FaketimeRun::DayFile(const DateTime& day) const {
  char name[16];
  std::snprintf(name, sizeof name, "%02d%02d%02d.csv", day.year % 100, day.month, day.day);
  return ReadBytes(File(std::string("Data/") + name));
}

std::vector<std::string> FaketimeRun::RecordTimes(const DateTime& day) const {
  const std::string file = DayFile(day);
  std::vector<std::string> times;
  // The first line is the template's header; a record's second field is its time.
  std::size_t start = file.find("\r\n");
  while (start != std::string::npos && start + 2 < file.size()) {
    start += 2;
    const std::size_t end = file.find("\r\n", start);
    const std::string line = file.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::size_t first = line.find(';');
    times.push_back(
        first == std::string::npos ? line : Trimmed(line.substr(first + 1, line.find(';', first + 1) - first - 1)));
    start = end;
  }
  return times;
}

std::vector<std::int64_t> FaketimeRun::RequestTimesMs() const {
  std::vector<std::int64_t> times;
  for (const sim::test::LogLine& line : sim::test::ReadLog(File("sim.log"))) {
    if (line.direction != "rx" || line.outcome != "ok") continue;
    DateTime t;
    std::sscanf(line.simTime.c_str(), "%d-%d-%dT%d:%d:%d.%d", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second,
                &t.millisecond);
    times.push_back(ToEpochMilliseconds(t));
  }
  return times;
}

}  // namespace helvanta::testing
