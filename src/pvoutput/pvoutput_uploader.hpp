#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "history/upload_mark.hpp"
#include "runtime/clock.hpp"
#include "runtime/retry_schedule.hpp"

namespace helvanta {

class THttpsClient;
struct THttpsAnswer;
struct THistoryRow;

struct TPvoutputConnection {
  std::string url;  // below it lie the services' paths
  std::string systemId;
  std::string apiKey;
  int intervalMinutes = 5;
  std::string caFile;       // empty: the system's store
  long timeoutMs = 20'000;  // per request
};

// What the upload thread has to tell, for the main thread to word.
struct TPvoutputReport {
  enum class Kind {
    kFailed,           // no answer, 5xx, garbage: the statuses wait
    kStillFailing,     // hourly reminder
    kRecovered,        // uploads go on after failures
    kKeyRefused,       // 401, or 403 other than the rate limit: PVOutput's own text
    kKeyStillRefused,  // hourly reminder
    kUploadRefused,    // 400: that upload is not sent again
    kRateLimited,      // 403 over the hourly limit: waiting until the reset
    kGivenUp,          // statuses older than PVOutput takes
    kStartsNow,        // no progress in the history database
    kSetupFailed,      // libcurl missing
  };
  Kind kind;
  std::string detail;
};

// The uploads on a thread of their own: the main thread only hands over its clock
// reading and the history's path at each tick (Offer) and collects the reports. At each
// tick the thread sends what is due: the statuses of the interval marks before the
// current minute that the history holds and PVOutput has not accepted yet (one through
// Add Status, more through Add Batch Status, 30 at a time, oldest first), then, once
// the local time has passed 22:00, the day's output.
class TPvoutputUploader {
 public:
  static constexpr int kDayOutputHour = 22;

  explicit TPvoutputUploader(TPvoutputConnection connection);
  ~TPvoutputUploader();
  TPvoutputUploader(const TPvoutputUploader&) = delete;
  TPvoutputUploader& operator=(const TPvoutputUploader&) = delete;

  // Never waits for a request: a reading not yet taken is replaced by the newer one.
  void Offer(const ClockReading& reading, const std::string& historyPath);
  std::vector<TPvoutputReport> TakeReports();
  // Whether the last request was answered with 200, and the UTC time of the last one that was.
  bool Connected() const;
  std::optional<std::int64_t> LastSuccessUtcMs() const;
  // For tests: waits until the reading offered last has been dealt with.
  void WaitIdle();

 private:
  struct Job {
    ClockReading reading;
    std::string historyPath;
  };
  enum class Outcome { kAccepted, kUploadRefused, kKeyRefused, kRateLimited, kFailed };

  void Run();
  void Step(const Job& job);
  bool StatusesDue(const ClockReading& now) const;
  bool OutputDue(const ClockReading& now) const;
  // Sends the oldest statuses due; false when none was due.
  bool SendStatuses(const Job& job, TUploadMark& mark);
  void SendDayOutput(const Job& job, TUploadMark& mark);
  Outcome Send(const std::string& service, const std::string& body, const ClockReading& now, std::string& detail,
               std::string& answerBody);
  // An answer with 200 that was understood counts as connected.
  void NoteAnswered(bool accepted, const ClockReading& now);
  void NoteFailure(Outcome outcome, const std::string& detail, const ClockReading& now);
  // The first refusal, and the first answer over the rate limit, of a run is told; the
  // run ends at the next upload accepted.
  void NoteRefused(const std::string& detail);
  void NoteSuccess(const ClockReading& now);
  void Report(TPvoutputReport::Kind kind, std::string detail);
  // The last interval mark at or before a local minute.
  std::int64_t MarkAtOrBefore(std::int64_t localMinute) const;

  TPvoutputConnection connection_;
  std::atomic<bool> stopping_{false};

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::optional<Job> job_;
  bool busy_ = false;
  std::vector<TPvoutputReport> reports_;
  bool connected_ = false;
  std::optional<std::int64_t> lastSuccessUtcMs_;

  // The upload thread's own.
  std::unique_ptr<THttpsClient> http_;
  bool setupFailed_ = false;
  std::optional<TUploadProgress> progress_;
  std::int64_t checkedMinute_ = 0;  // statuses up to this UTC minute were looked for
  bool backlog_ = false;            // more statuses wait than the last request took
  std::optional<std::int64_t> holdUntilUtcMs_;
  RetrySchedule retry_;
  std::optional<Outcome> failing_;
  bool rateLimitedRun_ = false;
  bool refusedRun_ = false;

  std::thread thread_;
};

}  // namespace helvanta
