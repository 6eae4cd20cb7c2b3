#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_store.hpp"

namespace helvanta {

class TLanguageList;

// What the import of one CSV file found.
struct TImportCounts {
  bool readable = true;
  std::size_t stored = 0;         // rows added to the history
  std::size_t present = 0;        // rows the history held already (kept as they were)
  std::size_t mismatched = 0;     // lines that do not match the record pattern (not imported)
  std::size_t firstMismatch = 0;  // line number (from 1) of the first of them
  THistoryWriteResult write;      // how the database took the rows
};

// Imports the record lines of one daily CSV file through the record pattern; the file's
// leading lines that equal the template's header lines are skipped. The local times are
// placed in the program clock's time zone in the file's order. All rows of a file go
// into one transaction.
TImportCounts ImportCsvFile(THistoryStore& store, const std::string& databasePath, const std::string& csvPath,
                            const std::vector<std::string>& templateLines);

// The import command: reads the settings and the template, imports every file and
// writes one report per file to out and failures to err. Returns 0 when every file was
// read, every line matched and every row was stored, else 1.
int RunHistoryImport(const std::vector<std::string>& files, const std::function<void(const std::string&)>& out,
                     const std::function<void(const std::string&)>& err);

}  // namespace helvanta
