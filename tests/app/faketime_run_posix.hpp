#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/date_time.hpp"
#include "support/sim_process_posix.hpp"
#include "support/temp_folder.hpp"

namespace helvanta::testing {

// Why a run under libfaketime cannot take place here, or "" when it can.
std::string FaketimeMissing();

// One run of `helvanta -service` against its own simulator in a fresh folder, polling
// all day at interval 1 with the packaged template. The service's wall clock is faked by
// libfaketime in Berlin time; its monotonic clocks and the simulator stay real.
class FaketimeRun {
 public:
  explicit FaketimeRun(int seed);
  ~FaketimeRun();
  FaketimeRun(const FaketimeRun&) = delete;
  FaketimeRun& operator=(const FaketimeRun&) = delete;

  // The faked clock shows this Berlin time now (the later one of a repeated hour with
  // later), and runs on from there.
  void SetClock(const DateTime& local, bool later = false);
  // The faked clock is set forward (or back) by whole seconds.
  void StepClock(std::int64_t seconds);
  // Waits (real time) until the faked clock shows the Berlin time.
  void WaitUntil(const DateTime& local, bool later = false) const;

  void StartService();
  // SIGTERM; the exit code, or -1 when the service did not end by itself in time.
  int StopService();
  void KillService();
  // What the services started in this folder wrote on standard error, one event a line.
  std::string Events() const;
  // How often the events hold text.
  int CountEvents(const std::string& text) const;
  // Waits until the events hold text so often; false when they did not in time.
  bool WaitForEvents(const std::string& text, int times, int timeoutMs) const;
  // The day's CSV file, "" when there is none.
  std::string DayFile(const DateTime& day) const;
  // The times of day ("hh:mm:ss") of the day's records, in file order.
  std::vector<std::string> RecordTimes(const DateTime& day) const;
  // When the simulator received each request, in milliseconds of its own steady clock.
  std::vector<std::int64_t> RequestTimesMs() const;
  std::string File(const std::string& name) const { return folder_.File(name); }

 private:
  std::int64_t FakeUtcMs() const;
  void WriteOffset();

  TempFolder folder_;
  std::unique_ptr<sim::test::SimProcess> simulator_;
  std::int64_t offsetSeconds_ = 0;
  pid_t service_ = -1;
};

// Milliseconds of the Berlin time's UTC instant (the earlier one of a repeated hour, or
// the later with later).
std::int64_t BerlinUtcMs(const DateTime& local, bool later = false);
// The Berlin time at a UTC instant.
DateTime BerlinTime(std::int64_t utcMs);

}  // namespace helvanta::testing
