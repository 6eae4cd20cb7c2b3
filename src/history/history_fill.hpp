#pragma once

#include <string>
#include <vector>

#include "history/history_store.hpp"
#include "runtime/clock.hpp"

namespace helvanta {

// The daily CSV files that may hold minutes the history lacks (a database that could not
// be written, a power cut between a record and its row), and the template whose record
// line reads them.
struct TCsvSource {
  std::string templateFile;
  std::vector<std::string> files;
};

// The files of the day of a reading and of the day before, as the settings name them
// now; on the thread that owns the settings.
TCsvSource CsvSourceAt(const ClockReading& now);

struct TCsvFill {
  bool written = false;       // the database was written (or tried)
  THistoryWriteResult write;  // the rows added and present, or the first failure
};

// Adds the minutes that the files hold and the history lacks, one transaction a file;
// stops at the first failure. A file or template that cannot be read adds nothing. An
// existing database is opened (and converted to this version) even so.
TCsvFill FillFromCsv(THistoryStore& store, const std::string& databasePath, const TCsvSource& source);

}  // namespace helvanta
