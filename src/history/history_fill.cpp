#include "history/history_fill.hpp"

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
  const FileBytes content = ReadFileBytes(source.templateFile);
  if (content.status != FileReadStatus::kOk) return fill;
  const std::vector<std::string> templateLines = SplitTemplateLines(content.bytes);
  for (const std::string& file : source.files) {
    const TImportCounts counts = ImportCsvFile(store, databasePath, file, templateLines);
    const THistoryWriteResult& write = counts.write;
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
  return fill;
}

}  // namespace helvanta
