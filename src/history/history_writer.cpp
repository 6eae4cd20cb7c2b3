#include "history/history_writer.hpp"

namespace helvanta {

THistoryWriter::THistoryWriter(int keepDays) : store_(keepDays), thread_([this] { Run(); }) {}

THistoryWriter::~THistoryWriter() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

bool THistoryWriter::Offer(const std::string& path, const THistoryRow& row) {
  {
    const std::lock_guard lock(mutex_);
    if (items_.size() >= kCapacity) {
      ++dropped_;
      return false;
    }
    items_.push_back({path, row.utcMinute * 60'000, row});
  }
  wake_.notify_one();
  return true;
}

void THistoryWriter::Fill(const std::string& path, TCsvSource source, std::int64_t nowMs) {
  {
    const std::lock_guard lock(mutex_);
    items_.push_back({path, nowMs, std::move(source)});
  }
  wake_.notify_one();
}

std::vector<THistoryEvent> THistoryWriter::TakeEvents() {
  const std::lock_guard lock(mutex_);
  std::vector<THistoryEvent> events;
  events.swap(events_);
  return events;
}

void THistoryWriter::WaitIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return items_.empty() && !busy_; });
}

void THistoryWriter::Post(THistoryEvent event) {
  const std::lock_guard lock(mutex_);
  events_.push_back(std::move(event));
}

void THistoryWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !items_.empty(); });
    if (items_.empty()) return;
    Item item = std::move(items_.front());
    items_.pop_front();
    busy_ = true;
    lock.unlock();
    Handle(item);
    lock.lock();
    busy_ = false;
    if (items_.empty()) idle_.notify_all();
  }
}

void THistoryWriter::Handle(const Item& item) {
  const std::int64_t nowMs = item.atMs;
  const THistoryRow* row = std::get_if<THistoryRow>(&item.work);
  if (!retry_.Due(nowMs)) {
    if (row != nullptr) ++lost_;
    return;
  }
  THistoryWriteResult result;
  if (row != nullptr) {
    result = store_.Write(item.path, std::span(row, 1));
  } else {
    TCsvFill fill = FillFromCsv(store_, item.path, std::get<TCsvSource>(item.work));
    // No records to add and no database yet: nothing was tried.
    if (!fill.written) return;
    result = std::move(fill.write);
  }
  if (!result.movedAside.empty()) {
    Post({THistoryEvent::Kind::kMovedAside, THistoryFault::kDamaged, item.path, result.detail, result.movedAside, 0});
  }
  if (result.fault != THistoryFault::kNone) {
    if (row != nullptr) ++lost_;
    switch (retry_.Failed(nowMs)) {
      case FailureReport::kFirst:
        Post({THistoryEvent::Kind::kFailed, result.fault, item.path, result.detail, {}, 0});
        break;
      case FailureReport::kReminder:
        Post({THistoryEvent::Kind::kStillFailing, result.fault, item.path, result.detail, {}, 0});
        break;
      case FailureReport::kNone: break;
    }
    return;
  }
  if (row != nullptr) rowsWritten_.fetch_add(1);
  std::size_t dropped = 0;
  {
    const std::lock_guard lock(mutex_);
    dropped = dropped_;
    dropped_ = 0;
  }
  droppedUnreported_ += dropped;
  if (retry_.Succeeded()) {
    Post({THistoryEvent::Kind::kRecovered, THistoryFault::kNone, item.path, {}, {}, lost_ + droppedUnreported_});
    droppedUnreported_ = 0;
  } else if (droppedUnreported_ > 0 &&
             (lastDropReportMs_ == 0 || nowMs - lastDropReportMs_ >= RetrySchedule::kReminderMs ||
              nowMs < lastDropReportMs_)) {
    // A writer that keeps falling behind is told about once an hour, not at every row.
    Post({THistoryEvent::Kind::kDropped, THistoryFault::kNone, item.path, {}, {}, droppedUnreported_});
    droppedUnreported_ = 0;
    lastDropReportMs_ = nowMs;
  }
  lost_ = 0;
  if (row == nullptr && result.added > 0) {
    Post({THistoryEvent::Kind::kFilled, THistoryFault::kNone, item.path, {}, {}, result.added});
  }
}

}  // namespace helvanta
