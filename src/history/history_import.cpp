#include "history/history_import.hpp"

#include <filesystem>
#include <fstream>

#include "config/file_access.hpp"
#include "config/history_settings.hpp"
#include "config/language.hpp"
#include "config/settings.hpp"
#include "config/text_keys.hpp"
#include "history/history_recorder.hpp"
#include "history/record_parser.hpp"
#include "history/record_times.hpp"
#include "logging/template_lines.hpp"
#include "runtime/clock.hpp"

namespace helvanta {

namespace {

// A day at interval 1 is under 1 MB; anything far larger is no daily file.
constexpr std::uintmax_t kMaxCsvFileSize = 64u * 1024u * 1024u;

// The bytes the file holds when its size is read, in one read.
bool ReadCsv(const std::string& path, std::string& bytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxCsvFileSize) return false;
  std::ifstream in(path, std::ios::binary);
  bytes.resize(static_cast<std::size_t>(size));
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return !in.bad();
}

}  // namespace

TImportCounts ImportCsvFile(THistoryStore& store, const std::string& databasePath, const std::string& csvPath,
                            const std::vector<std::string>& templateLines) {
  TImportCounts counts;
  std::string bytes;
  if (!ReadCsv(csvPath, bytes)) {
    counts.readable = false;
    return counts;
  }
  const TRecordParser parser(templateLines.empty() ? std::string_view{} : std::string_view(templateLines.back()));
  const std::vector<std::string_view> lines = SplitTemplateLineViews(bytes);
  std::size_t header = 0;
  while (header + 1 < templateLines.size() && header < lines.size() && lines[header] == templateLines[header]) ++header;
  std::vector<THistoryRow> rows;
  rows.reserve(lines.size() - header);
  for (std::size_t i = header; i < lines.size(); ++i) {
    if (parser.Parse(lines[i], rows.emplace_back())) continue;
    rows.pop_back();
    if (counts.mismatched++ == 0) counts.firstMismatch = i + 1;
  }
  if (rows.empty()) return counts;
  PlaceInTimeZone(rows, ProgramClock());
  counts.write = store.Write(databasePath, rows);
  counts.stored = counts.write.added;
  counts.present = counts.write.present;
  return counts;
}

int RunHistoryImport(const std::vector<std::string>& files, const std::function<void(const std::string&)>& out,
                     const std::function<void(const std::string&)>& err) {
  TLanguageList list;
  list.LoadFromFile(LanguageFilePath());
  TSettingsReport report;
  if (SettingsFileExists()) report.file = LoadSettings();
  report.replaced = ValidateSettings();
  const THistorySettings settings = LoadHistorySettings(report.replaced);
  for (const std::string& message : SettingsReportMessages(list, report, "\n")) err(message);
  if (files.empty()) {
    err(ComposeKeyMessage(list, text_key::kImportNeedsFiles, "", "\n"));
    return 1;
  }
  const FileBytes content = ReadFileBytes(AppSettings.TemplateFile);
  if (content.status != FileReadStatus::kOk) {
    err(ComposeKeyMessage(list, text_key::kTemplateUnreadable, AppSettings.TemplateFile, "\n"));
    return 1;
  }
  const std::vector<std::string> templateLines = SplitTemplateLines(content.bytes);
  if (!TRecordParser(templateLines.empty() ? std::string_view{} : std::string_view(templateLines.back())).Dated()) {
    err(ComposeKeyMessage(list, text_key::kImportUndatable, AppSettings.TemplateFile, "\n"));
    return 1;
  }
  const std::string databasePath = HistoryDatabasePath(settings);
  THistoryStore store(settings.KeepDays);
  int status = 0;
  for (const std::string& file : files) {
    const TImportCounts counts = ImportCsvFile(store, databasePath, file, templateLines);
    if (!counts.readable) {
      err(ComposeKeyMessage(list, text_key::kImportUnreadable, file, "\n"));
      status = 1;
      continue;
    }
    if (!counts.write.movedAside.empty())
      err(ComposeKeyMessage(list, text_key::kHistoryMovedAside, counts.write.movedAside, "\n"));
    if (counts.write.fault != THistoryFault::kNone) {
      err(ComposeKeyMessage(list, text_key::kImportStopped,
                            HistoryFaultText(counts.write.fault, databasePath, counts.write.detail, list), "\n"));
      return 1;
    }
    out(ComposeKeyMessage(list, text_key::kImportFile, file, "\n"));
    out(ComposeKeyMessage(list, text_key::kImportRowsStored, std::to_string(counts.stored), "\n"));
    if (counts.present > 0)
      out(ComposeKeyMessage(list, text_key::kImportRowsPresent, std::to_string(counts.present), "\n"));
    if (counts.mismatched > 0) {
      out(ComposeKeyMessage(list, text_key::kImportLinesUnmatched, std::to_string(counts.mismatched), "\n"));
      out(ComposeKeyMessage(list, text_key::kImportFirstUnmatched, std::to_string(counts.firstMismatch), "\n"));
      status = 1;
    }
  }
  return status;
}

}  // namespace helvanta
