#include "pvoutput/pvoutput_uploader.hpp"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "history/history_reader.hpp"
#include "pvoutput/curl_library.hpp"
#include "pvoutput/https_client.hpp"
#include "pvoutput/pvoutput_requests.hpp"

namespace helvanta {

namespace {

constexpr std::int64_t kMinuteMs = 60'000;
constexpr std::int64_t kMinutesPerDay = 1440;
constexpr std::int64_t kHourMs = 3'600'000;
// Retries from 30 s up to 5 min apart: PVOutput counts every request against the hourly
// limit, failed ones too.
constexpr std::int64_t kFirstRetryMs = 30'000;
constexpr std::int64_t kLongestRetryMs = 300'000;
constexpr std::size_t kMaxDetailBytes = 200;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

std::int64_t UtcMinute(const ClockReading& now) { return FloorDiv(now.utcMs, kMinuteMs); }

std::int64_t LocalMinute(const ClockReading& now) { return FloorDiv(now.LocalMs(), kMinuteMs); }

// The local day whose output is due: today once 22:00 has passed, else yesterday.
std::int64_t OutputTargetDay(const ClockReading& now) {
  const std::int64_t minute = LocalMinute(now);
  const std::int64_t day = FloorDiv(minute, kMinutesPerDay);
  return minute - day * kMinutesPerDay >= TPvoutputUploader::kDayOutputHour * 60 ? day : day - 1;
}

std::string FirstLine(const std::string& body) {
  std::string line = body.substr(0, body.find_first_of("\r\n"));
  if (line.size() > kMaxDetailBytes) line.resize(kMaxDetailBytes);
  return line;
}

DateTime DayDate(std::int64_t day) { return MinuteTime(day * kMinutesPerDay); }

// Until PVOutput's reset time, but a minute at least and an hour at most: a clock that
// disagrees with PVOutput's must neither make the uploads spin nor stop them for long.
std::int64_t HoldUntil(const ClockReading& now, std::int64_t resetUtcS) {
  return std::clamp(resetUtcS * 1000, now.utcMs + kMinuteMs, now.utcMs + kHourMs);
}

}  // namespace

TPvoutputUploader::TPvoutputUploader(TPvoutputConnection connection)
    : connection_(std::move(connection)), retry_(kFirstRetryMs, kLongestRetryMs), thread_([this] { Run(); }) {}

TPvoutputUploader::~TPvoutputUploader() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void TPvoutputUploader::Offer(const ClockReading& reading, const std::string& historyPath) {
  {
    const std::lock_guard lock(mutex_);
    job_ = Job{reading, historyPath};
  }
  wake_.notify_one();
}

std::vector<TPvoutputReport> TPvoutputUploader::TakeReports() {
  const std::lock_guard lock(mutex_);
  return std::exchange(reports_, {});
}

bool TPvoutputUploader::Connected() const {
  const std::lock_guard lock(mutex_);
  return connected_;
}

std::optional<std::int64_t> TPvoutputUploader::LastSuccessUtcMs() const {
  const std::lock_guard lock(mutex_);
  return lastSuccessUtcMs_;
}

void TPvoutputUploader::WaitIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return !job_ && !busy_; });
}

void TPvoutputUploader::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stopping_ || job_; });
    if (stopping_) break;
    const Job job = std::move(*job_);
    job_.reset();
    busy_ = true;
    lock.unlock();
    Step(job);
    lock.lock();
    busy_ = false;
    idle_.notify_all();
  }
  busy_ = false;
  job_.reset();
  idle_.notify_all();
}

void TPvoutputUploader::Report(TPvoutputReport::Kind kind, std::string detail) {
  const std::lock_guard lock(mutex_);
  reports_.push_back({kind, std::move(detail)});
}

std::int64_t TPvoutputUploader::MarkAtOrBefore(std::int64_t localMinute) const {
  return localMinute - (localMinute - FloorDiv(localMinute, connection_.intervalMinutes) * connection_.intervalMinutes);
}

bool TPvoutputUploader::StatusesDue(const ClockReading& now) const {
  if (backlog_) return true;
  // A mark's row is written during its minute: it is looked for from the next one on.
  return MarkAtOrBefore(LocalMinute(now) - 1) - now.offsetMinutes > checkedMinute_;
}

bool TPvoutputUploader::OutputDue(const ClockReading& now) const {
  return progress_ && !backlog_ && OutputTargetDay(now) > progress_->outputDay;
}

void TPvoutputUploader::Step(const Job& job) {
  if (setupFailed_) return;
  const ClockReading& now = job.reading;
  if (!http_) {
    try {
      http_ = std::make_unique<THttpsClient>(connection_.timeoutMs, connection_.caFile, stopping_);
    } catch (const EPvoutputSetup& error) {
      setupFailed_ = true;
      Report(TPvoutputReport::Kind::kSetupFailed, error.what());
      return;
    }
  }
  if (holdUntilUtcMs_) {
    if (now.utcMs < *holdUntilUtcMs_) return;
    holdUntilUtcMs_.reset();
  }
  if (!retry_.Due(now.elapsedMs)) return;
  if (progress_ && !StatusesDue(now) && !OutputDue(now)) return;
  TUploadMark mark(job.historyPath);
  try {
    if (!mark.DatabaseExists()) return;
    std::optional<TUploadProgress> kept = mark.Read();
    if (!kept) {
      // A new or a lost database: what PVOutput had is unknown, so nothing older than now is sent.
      kept = TUploadProgress{UtcMinute(now) - 1, OutputTargetDay(now)};
      mark.Write(*kept);
      Report(TPvoutputReport::Kind::kStartsNow, job.historyPath);
      checkedMinute_ = kept->statusMinute;
      backlog_ = false;
    }
    progress_ = kept;
    if (SendStatuses(job, mark)) return;
    if (OutputDue(now)) SendDayOutput(job, mark);
  } catch (const std::runtime_error& error) {
    // SQLite's failures and a schema newer than this program's: the uploads wait.
    NoteFailure(Outcome::kFailed, job.historyPath + ": " + error.what(), now);
  }
}

bool TPvoutputUploader::SendStatuses(const Job& job, TUploadMark& mark) {
  const ClockReading& now = job.reading;
  const std::int64_t nowMinute = UtcMinute(now);
  const std::int64_t tooOldUpTo = nowMinute - kPvoutputAgeLimitDays * kMinutesPerDay;
  const std::int64_t after = progress_->statusMinute;
  std::vector<THistoryRow> due;
  std::size_t tooOld = 0;
  std::int64_t lastTooOld = after;
  THistoryReader reader(job.historyPath);
  // Local days around the UTC range: the rows' own local times sort them into days.
  const std::int64_t firstDay = FloorDiv(after - kLargestOffsetMinutes, kMinutesPerDay);
  const std::int64_t lastDay = FloorDiv(nowMinute + kLargestOffsetMinutes, kMinutesPerDay);
  for (std::int64_t day = firstDay; day <= lastDay && due.size() <= kPvoutputBatchLimit; ++day) {
    const DateTime date = DayDate(day);
    reader.ForEachDayRow(date.year, date.month, date.day, kStatusRows, after, [&](const THistoryRow& row) {
      if (row.utcMinute >= nowMinute ||
          FloorDiv(row.LocalMinute(), connection_.intervalMinutes) * connection_.intervalMinutes != row.LocalMinute()) {
        return;
      }
      if (row.utcMinute <= tooOldUpTo) {
        ++tooOld;
        lastTooOld = row.utcMinute;
      } else if (due.size() <= kPvoutputBatchLimit) {
        due.push_back(row);
      }
    });
  }
  if (tooOld > 0) {
    progress_->statusMinute = lastTooOld;
    mark.Write(*progress_);
    Report(TPvoutputReport::Kind::kGivenUp, std::to_string(tooOld));
  }
  checkedMinute_ = nowMinute - 1;
  backlog_ = due.size() > kPvoutputBatchLimit;
  if (due.empty()) return false;
  if (due.size() > kPvoutputBatchLimit) due.resize(kPvoutputBatchLimit);
  const bool single = due.size() == 1;
  std::string detail;
  std::string answer;
  Outcome outcome = single ? Send("addstatus.jsp", AddStatusBody(due.front()), now, detail, answer)
                           : Send("addbatchstatus.jsp", AddBatchStatusBody(due), now, detail, answer);
  std::size_t notAdded = 0;
  if (outcome == Outcome::kAccepted &&
      !(single ? answer.starts_with("OK 200") : BatchAnswerMatches(answer, due, notAdded))) {
    outcome = Outcome::kFailed;
    detail = connection_.url + ": unexpected answer \"" + FirstLine(answer) + "\"";
  }
  NoteAnswered(outcome == Outcome::kAccepted, now);
  switch (outcome) {
    case Outcome::kAccepted:
      progress_->statusMinute = due.back().utcMinute;
      mark.Write(*progress_);
      NoteSuccess(now);
      if (notAdded > 0) {
        Report(TPvoutputReport::Kind::kUploadRefused,
               std::to_string(notAdded) + " of " + std::to_string(due.size()) + " statuses not added");
      }
      break;
    case Outcome::kUploadRefused:
      progress_->statusMinute = due.back().utcMinute;
      mark.Write(*progress_);
      NoteRefused(detail);
      break;
    case Outcome::kKeyRefused:
    case Outcome::kRateLimited:
    case Outcome::kFailed:
      backlog_ = true;
      NoteFailure(outcome, detail, now);
      break;
  }
  return true;
}

void TPvoutputUploader::SendDayOutput(const Job& job, TUploadMark& mark) {
  const ClockReading& now = job.reading;
  const std::int64_t target = OutputTargetDay(now);
  const DateTime date = DayDate(target);
  THistoryReader reader(job.historyPath);
  const std::vector<int> rows{kRowAcPower, kRowWorkDay};
  const std::optional<TPvoutputDay> day = DayOutput(reader.DaySeries(date.year, date.month, date.day, rows));
  if (!day) {
    progress_->outputDay = target;
    mark.Write(*progress_);
    return;
  }
  std::string detail;
  std::string answer;
  Outcome outcome = Send("addoutput.jsp", AddOutputBody(*day), now, detail, answer);
  if (outcome == Outcome::kAccepted && !answer.starts_with("OK 200")) {
    outcome = Outcome::kFailed;
    detail = connection_.url + ": unexpected answer \"" + FirstLine(answer) + "\"";
  }
  NoteAnswered(outcome == Outcome::kAccepted, now);
  if (outcome == Outcome::kAccepted || outcome == Outcome::kUploadRefused) {
    progress_->outputDay = target;
    mark.Write(*progress_);
  }
  if (outcome == Outcome::kAccepted) {
    NoteSuccess(now);
  } else if (outcome == Outcome::kUploadRefused) {
    NoteRefused(detail);
  } else {
    NoteFailure(outcome, detail, now);
  }
}

TPvoutputUploader::Outcome TPvoutputUploader::Send(const std::string& service, const std::string& body,
                                                   const ClockReading& now, std::string& detail,
                                                   std::string& answerBody) {
  THttpsPost post;
  post.url = connection_.url + "/service/r2/" + service;
  post.headers = {"X-Pvoutput-Apikey: " + connection_.apiKey, "X-Pvoutput-SystemId: " + connection_.systemId,
                  "X-Rate-Limit: 1", "Content-Type: application/x-www-form-urlencoded"};
  post.body = body;
  const THttpsAnswer answer = http_->Post(post);
  if (!answer.transportError.empty()) {
    detail = post.url + ": " + answer.transportError;
    return Outcome::kFailed;
  }
  if (answer.rateRemaining == 0 && answer.rateResetUtcS) holdUntilUtcMs_ = HoldUntil(now, *answer.rateResetUtcS);
  const std::string line = FirstLine(answer.body);
  switch (answer.status) {
    case 200: answerBody = answer.body; return Outcome::kAccepted;
    case 400: detail = line; return Outcome::kUploadRefused;
    case 401: detail = line; return Outcome::kKeyRefused;
    case 403:
      if (line.find("Exceeded") != std::string::npos) {
        // Without the reset time the limit is PVOutput's hour: wait that long.
        holdUntilUtcMs_ = answer.rateResetUtcS ? HoldUntil(now, *answer.rateResetUtcS) : now.utcMs + kHourMs;
        detail = DateTimeText(FromEpochMilliseconds(*holdUntilUtcMs_ + now.offsetMinutes * kMinuteMs));
        return Outcome::kRateLimited;
      }
      detail = line;
      return Outcome::kKeyRefused;
    default: detail = post.url + ": HTTP " + std::to_string(answer.status) + " " + line; return Outcome::kFailed;
  }
}

void TPvoutputUploader::NoteFailure(Outcome outcome, const std::string& detail, const ClockReading& now) {
  using Kind = TPvoutputReport::Kind;
  if (outcome == Outcome::kRateLimited) {
    if (!rateLimitedRun_) Report(Kind::kRateLimited, detail);
    rateLimitedRun_ = true;
    return;
  }
  // Another kind of failure is news, however long the last one lasted.
  if (failing_ != outcome) {
    retry_ = RetrySchedule(kFirstRetryMs, kLongestRetryMs);
    failing_ = outcome;
  }
  const bool key = outcome == Outcome::kKeyRefused;
  switch (retry_.Failed(now.elapsedMs)) {
    case FailureReport::kFirst: Report(key ? Kind::kKeyRefused : Kind::kFailed, detail); break;
    case FailureReport::kReminder: Report(key ? Kind::kKeyStillRefused : Kind::kStillFailing, detail); break;
    case FailureReport::kNone: break;
  }
}

void TPvoutputUploader::NoteAnswered(bool accepted, const ClockReading& now) {
  const std::lock_guard lock(mutex_);
  connected_ = accepted;
  if (accepted) lastSuccessUtcMs_ = now.utcMs;
}

void TPvoutputUploader::NoteRefused(const std::string& detail) {
  if (!refusedRun_) Report(TPvoutputReport::Kind::kUploadRefused, detail);
  refusedRun_ = true;
}

void TPvoutputUploader::NoteSuccess(const ClockReading& now) {
  rateLimitedRun_ = false;
  refusedRun_ = false;
  if (!failing_) return;
  retry_.Succeeded(now.elapsedMs);
  retry_ = RetrySchedule(kFirstRetryMs, kLongestRetryMs);
  failing_.reset();
  Report(TPvoutputReport::Kind::kRecovered, connection_.url);
}

}  // namespace helvanta
