// The import of a year of daily CSV files: 365 files of 1440 records (every minute of
// 2026) written through the template's record line, imported into a new history
// database and then imported again, every row already stored. Prints seconds and rows
// per second of both. Targets: the first import >= 100 000 rows/s, the second < 2 s.
//   import_bench [template file, default packaging/Template.csv of the source tree]
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/settings.hpp"
#include "history/history_import.hpp"
#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "logging/log_record.hpp"
#include "logging/record_pattern.hpp"
#include "logging/template_lines.hpp"
#include "runtime/date_time.hpp"

namespace {

using namespace helvanta;

constexpr int kDays = 365;
constexpr int kMinutesPerDay = 1440;

struct TPass {
  double seconds = 0;
  double cpuSeconds = 0;  // of this process: less moved by other work on the machine
  TImportCounts total;
  bool faulted = false;
};

// The files as the logger writes them: the template's header lines, then one record a
// minute, each line ended by CR LF.
std::vector<std::string> WriteYear(const std::vector<std::string>& templateLines) {
  const std::int64_t firstDay = DaysFromCivil(2026, 1, 1);
  std::vector<std::string> files;
  for (int d = 0; d < kDays; ++d) {
    files.push_back(DailyLogFilePath(FromEpochMilliseconds((firstDay + d) * 86'400'000)));
    // Line by line, as the logger does: a day's text in one string would leave the heap
    // grown, and the import then runs faster than in a process of its own.
    std::ofstream out(files.back(), std::ios::binary);
    for (std::size_t i = 0; i + 1 < templateLines.size(); ++i) out << templateLines[i] << "\r\n";
    for (int m = 0; m < kMinutesPerDay; ++m) {
      const DateTime now = FromEpochMilliseconds(((firstDay + d) * kMinutesPerDay + m) * 60'000);
      out << FillRecordPattern(templateLines.back(), now, DateTimeSeparators{}) << "\r\n";
    }
  }
  return files;
}

TPass ImportAll(THistoryStore& store, const std::string& database, const std::vector<std::string>& files,
                const std::vector<std::string>& templateLines) {
  TPass pass;
  const auto begin = std::chrono::steady_clock::now();
  const std::clock_t cpuBegin = std::clock();
  for (const std::string& file : files) {
    const TImportCounts counts = ImportCsvFile(store, database, file, templateLines);
    if (!counts.readable || counts.write.fault != THistoryFault::kNone) {
      std::fprintf(stderr, "%s: not imported: %s\n", file.c_str(), counts.write.detail.c_str());
      pass.faulted = true;
    }
    pass.total.stored += counts.stored;
    pass.total.present += counts.present;
    pass.total.mismatched += counts.mismatched;
  }
  pass.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  pass.cpuSeconds = static_cast<double>(std::clock() - cpuBegin) / CLOCKS_PER_SEC;
  return pass;
}

void Print(const char* what, const TPass& pass) {
  const double rows = static_cast<double>(pass.total.stored + pass.total.present);
  std::printf("%-6s %6.2f s %8.0f rows/s (CPU %5.2f s)   stored %zu, present %zu, unmatched %zu\n", what, pass.seconds,
              rows / pass.seconds, pass.cpuSeconds, pass.total.stored, pass.total.present, pass.total.mismatched);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = (std::filesystem::temp_directory_path() / "helvanta-import-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string templatePath = argc > 1 ? argv[1] : HELVANTA_SOURCE_DIR "/packaging/Template.csv";
  std::ifstream in(templatePath, std::ios::binary);
  const std::string templateText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<std::string> templateLines = SplitTemplateLines(templateText);
  if (templateLines.empty()) {
    std::fprintf(stderr, "%s: no template\n", templatePath.c_str());
    return 1;
  }
  AppSettings.OutputFolder = folder;
  InitMeasurands();
  for (std::int32_t index = 0; index < kMeasurandCount; ++index) DecodeAnswer(PseudoAnswer, index);
  const std::vector<std::string> files = WriteYear(templateLines);

  const std::string database = folder + "/helvanta.sqlite";
  THistoryStore store;
  const TPass first = ImportAll(store, database, files, templateLines);
  const TPass again = ImportAll(store, database, files, templateLines);
  store.Close();
  std::filesystem::remove_all(folder);

  std::printf("%d files of %d records (target: first >= 100000 rows/s, again < 2 s)\n", kDays, kMinutesPerDay);
  Print("first", first);
  Print("again", again);
  constexpr std::size_t kRows = static_cast<std::size_t>(kDays) * kMinutesPerDay;
  const bool counted = first.total.stored == kRows && again.total.present == kRows && again.total.stored == 0 &&
                       first.total.mismatched == 0;
  if (!counted) std::fprintf(stderr, "unexpected counts\n");
  return first.faulted || again.faulted || !counted ? 1 : 0;
}
