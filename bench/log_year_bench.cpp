// A simulated year of logging at interval 1: 525 600 logging minutes, each one record
// written through the polling core's logger step, with the clock injected and every
// value from the pseudo answer. Prints records per second (target > 50 000).
//   log_year_bench [template file, default packaging/Template.csv of the source tree]
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "config/settings.hpp"
#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "link/polling_cycle.hpp"
#include "logging/log_marks.hpp"
#include "runtime/clock.hpp"

int main(int argc, char** argv) {
  using namespace helvanta;
  std::string folder = (std::filesystem::temp_directory_path() / "helvanta-log-year-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  AppSettings.TemplateFile = argc > 1 ? argv[1] : HELVANTA_SOURCE_DIR "/packaging/Template.csv";
  AppSettings.OutputFolder = folder;
  AppSettings.RequestInterval = 1;

  InitMeasurands();
  for (std::int32_t index = 0; index < kMeasurandCount; ++index) DecodeAnswer(PseudoAnswer, index);

  ManualClock clock(DateTime{2026, 1, 1, 0, 0, 0, 0});
  SetProgramClock(&clock);
  constexpr int kMinutes = 365 * 24 * 60;
  int failures = 0;
  TLogMarks marks;
  const auto begin = std::chrono::steady_clock::now();
  for (int minute = 0; minute < kMinutes; ++minute) {
    // The answers keep coming as they would while polling.
    for (std::size_t i = 0; i < kMeasurandCount; ++i) Measurands[i].GoodAtMs = clock.ElapsedMs();
    if (!RunLoggerStep(marks).Written()) ++failures;
    clock.Advance(60'000);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  SetProgramClock(nullptr);

  std::uintmax_t bytes = 0;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    bytes += entry.file_size();
    ++files;
  }
  std::filesystem::remove_all(folder);
  std::printf("%d logging minutes in %.2f s: %.0f records/s (target > 50000); %d day files, %ju bytes, %d failures\n",
              kMinutes, seconds, kMinutes / seconds, files, bytes, failures);
  return failures == 0 ? 0 : 1;
}
