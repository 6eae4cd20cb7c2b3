#pragma once

#include <string>
#include <vector>

#include "runtime/date_time.hpp"

namespace helvanta {

// Appends one record to the day's CSV file when now is a logging moment (every
// RequestInterval minutes, at second 00) and every measurand has a good answer from the
// last 135 s; the record carries the last good values. Returns 0 when nothing was due,
// values were missing or the record was written, 1 when the template file could not be
// read (or is larger than 1 MiB), 2 when the day's file could not be opened or written;
// with 1 and 2 the day's file is left exactly as it was.
int WriteLogRecord();

// What one run of the logger did, for the host's reports.
struct LogOutcome {
  int result = 0;            // as WriteLogRecord returns it
  bool due = false;          // now was a logging moment
  std::vector<int> missing;  // at a logging moment: the measurands that kept the record back
  bool Written() const { return due && result == 0 && missing.empty(); }
};
LogOutcome RunDailyLog();
// The logger at a mark that is due: the record is dated now and goes to now's file.
LogOutcome WriteMarkRecord(const DateTime& now);

// Whether now falls on a logging mark of the interval (minutes).
bool IsLoggingMoment(const DateTime& now, int requestInterval);

// The day's file: OutputFolder, a separator (always added) and "yymmdd.csv".
std::string DailyLogFilePath(const DateTime& day);

}  // namespace helvanta
