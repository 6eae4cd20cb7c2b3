#include "history/history_fill.hpp"

#include <filesystem>

#include "config/file_access.hpp"
#include "config/settings.hpp"
#include "history/history_import.hpp"
#include "logging/log_record.hpp"
#include "logging/template_lines.hpp"

namespace helvanta {

TCsvSource CsvSourceAt(const ClockReading& now) {
  const DateTime today = now.Local();
  const DateTime yesterday =
      FromEpochMilliseconds((DaysFromCivil(today.year, today.month, today.day) - 1) * 86'400'000);
  return {AppSettings.TemplateFile, {DailyLogFilePath(yesterday), DailyLogFilePath(today)}};
}

TCsvFill FillFromCsv(THistoryStore& store, const std::string& databasePath, const TCsvSource& source) {
  TCsvFill fill;
  if (const FileBytes content = ReadFileBytes(source.templateFile); content.status == FileReadStatus::kOk) {
    const std::vector<std::string> templateLines = SplitTemplateLines(content.bytes);
    for (const std::string& file : source.files) {
      const THistoryWriteResult write = ImportCsvFile(store, databasePath, file, templateLines).write;
      if (write.fault == THistoryFault::kNone && write.added + write.present == 0) continue;
      fill.written = true;
      fill.write.added += write.added;
      fill.write.present += write.present;
      if (!write.movedAside.empty()) fill.write.movedAside = write.movedAside;
      if (write.fault != THistoryFault::kNone) {
        fill.write.fault = write.fault;
        fill.write.detail = write.detail;
        break;
      }
    }
  }
  // With nothing to add, a database that exists is opened all the same, so that a file of
  // an earlier version is converted now rather than at the first row, which may be a
  // night away.
  std::error_code error;
  if (!fill.written && std::filesystem::exists(databasePath, error)) {
    fill.written = true;
    fill.write = store.Write(databasePath, {});
  }
  return fill;
}

}  // namespace helvanta
