#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "history/history_fill.hpp"
#include "history/history_row.hpp"
#include "history/history_store.hpp"
#include "runtime/retry_schedule.hpp"

namespace helvanta {

// What the writer thread has to tell the host.
struct THistoryEvent {
  enum class Kind {
    kFailed,        // the first failure of a run
    kStillFailing,  // the hourly reminder while it goes on
    kRecovered,     // written again; minutes were not stored meanwhile
    kMovedAside,    // a damaged file was renamed to movedTo and a new one started
    kDropped,       // minutes were not stored because the writer fell behind
    kFilled,        // minutes were added from the CSV files
  };
  Kind kind = Kind::kFailed;
  THistoryFault fault = THistoryFault::kNone;
  std::string path;
  std::string detail;
  std::string movedTo;
  std::size_t minutes = 0;  // lost (kRecovered, kDropped) or added (kFilled)
};

// Writes minute rows, and the minutes of CSV files that the history lacks, on a thread of
// its own, so that a slow, locked or failing database never holds up the tick. The
// hand-over keeps at most kCapacity rows; a row that finds it full is dropped and
// counted. Failures are paced by a RetrySchedule on the wall clock's times: a row due for
// no attempt is counted as lost without touching the file.
class THistoryWriter {
 public:
  static constexpr std::size_t kCapacity = 4;

  explicit THistoryWriter(int keepDays);
  // Writes what was handed over, then ends the thread.
  ~THistoryWriter();
  THistoryWriter(const THistoryWriter&) = delete;
  THistoryWriter& operator=(const THistoryWriter&) = delete;

  // Never waits for the database; false when the row was dropped.
  bool Offer(const std::string& path, const THistoryRow& row);
  // Adds the minutes of the CSV files that the history lacks, after the rows handed over
  // before; nowMs is the wall clock's UTC time. Never waits, never dropped.
  void Fill(const std::string& path, TCsvSource source, std::int64_t nowMs);
  // The events since the last call, in order.
  std::vector<THistoryEvent> TakeEvents();
  // Returns once every row handed over has been written or given up.
  void WaitIdle();
  // Minute rows stored so far (CSV fills aside). Any thread.
  std::uint64_t RowsWritten() const { return rowsWritten_.load(); }

 private:
  struct Item {
    std::string path;
    std::int64_t atMs = 0;  // UTC: the row's minute, or when the fill was asked for
    std::variant<THistoryRow, TCsvSource> work;
  };
  void Run();
  void Handle(const Item& item);
  void Post(THistoryEvent event);

  THistoryStore store_;
  RetrySchedule retry_;
  std::size_t lost_ = 0;               // rows not stored in the current run of failures (writer thread)
  std::size_t droppedUnreported_ = 0;  // dropped rows not reported yet (writer thread)
  std::int64_t lastDropReportMs_ = 0;
  std::atomic<std::uint64_t> rowsWritten_{0};

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Item> items_;
  std::vector<THistoryEvent> events_;
  std::size_t dropped_ = 0;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace helvanta
