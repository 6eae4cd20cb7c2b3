#pragma once

#include <string>

#include "runtime/date_time.hpp"

namespace helvanta {

// Appends one record to the day's CSV file when now is a logging moment (every
// RequestInterval minutes, at second 00) and no measurand is "N/A". Returns 0 when
// nothing was due or the record was written, 1 when the template file could not be
// read, 2 when the day's file could not be opened or written; with 1 and 2 the day's
// file is left exactly as it was.
int WriteLogRecord();

// Whether now falls on a logging mark of the interval (minutes).
bool IsLoggingMoment(const DateTime& now, int requestInterval);

// The day's file: OutputFolder, a separator (always added) and "yymmdd.csv".
std::string DailyLogFilePath(const DateTime& day);

}  // namespace helvanta
