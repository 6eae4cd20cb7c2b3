#include "logging/log_record.hpp"

#include <string_view>

#include "config/file_access.hpp"
#include "config/settings.hpp"
#include "link/measurands.hpp"
#include "logging/date_time_separators.hpp"
#include "logging/log_file.hpp"
#include "logging/measurand_presence.hpp"
#include "logging/record_pattern.hpp"
#include "logging/template_lines.hpp"
#include "runtime/clock.hpp"
#include "runtime/program_folder.hpp"

namespace helvanta {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

bool IsLoggingMoment(const DateTime& now, int requestInterval) {
  if (now.second != 0) return false;
  // The marks are 0, I, 2I, ... below 60; an interval below 1 (never left by the
  // settings' validation) keeps only the mark 0 instead of counting forever.
  if (requestInterval < 1) return now.minute == 0;
  return now.minute % requestInterval == 0;
}

std::string DailyLogFilePath(const DateTime& day) {
  std::string path = AppSettings.OutputFolder;
  path += kPathSeparator;
  path += FormatTime(day, "%y%M%D.csv");
  return path;
}

int WriteLogRecord() { return RunDailyLog().result; }

LogOutcome RunDailyLog() {
  // One reading serves the decision, the file name and the record, so a record
  // never lands in another day's file than its date says.
  const DateTime now = ProgramClock().Now();
  if (!IsLoggingMoment(now, AppSettings.RequestInterval)) return {};
  return WriteMarkRecord(now);
}

LogOutcome WriteMarkRecord(const DateTime& now) {
  LogOutcome outcome;
  outcome.due = true;
  outcome.missing = MissingMeasurands(ProgramClock().ElapsedMs());
  if (!outcome.missing.empty()) return outcome;

  const std::string path = DailyLogFilePath(now);
  // A regular file only: a pipe or device in its place must not stall the tick.
  const FileBytes content = ReadFileBytes(AppSettings.TemplateFile);
  if (content.status != FileReadStatus::kOk) {
    outcome.result = 1;
    return outcome;
  }
  const std::vector<std::string> lines = SplitTemplateLines(content.bytes);

  // The whole text is ready before the day's file is touched.
  std::string header;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    header += lines[i];
    header += kLineEnd;
  }
  std::string record = FillRecordPattern(lines.empty() ? std::string_view{} : std::string_view(lines.back()), now,
                                         CurrentDateTimeSeparators());
  record += kLineEnd;

  if (!AppendToDailyFile(path, header, record)) outcome.result = 2;
  return outcome;
}

}  // namespace helvanta
