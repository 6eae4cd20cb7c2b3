#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "runtime/date_time.hpp"

namespace helvanta {

// The connection and logging state the page shows beside the values.
struct TLiveState {
  DateTime now;
  bool connected = false;
  std::string port;    // "COM1"
  std::string device;  // the device file the port stands for
  std::optional<DateTime> lastRecord;
  std::string todaysFile;
};

// The live values and the state as one JSON object. Reads the measurand table, so only
// the main thread may call it.
std::string LiveJson(const TLiveState& state);

// What the main thread hands to the server's threads once a tick.
struct TWebSnapshot {
  std::string liveJson;
  std::string historyPath;  // the database the history answers come from
};

// The one place both sides meet: the main thread publishes, the server's threads read a
// snapshot that stays whole while they use it.
class TSnapshotSlot {
 public:
  void Publish(TWebSnapshot snapshot) {
    auto published = std::make_shared<const TWebSnapshot>(std::move(snapshot));
    const std::lock_guard lock(mutex_);
    current_ = std::move(published);
  }
  // Empty until the first tick has published.
  std::shared_ptr<const TWebSnapshot> Read() const {
    read_.store(true);
    const std::lock_guard lock(mutex_);
    return current_;
  }
  // Whether anybody read since the last call (true before the first).
  bool TakeRead() { return read_.exchange(false); }

 private:
  mutable std::atomic<bool> read_{true};
  mutable std::mutex mutex_;
  std::shared_ptr<const TWebSnapshot> current_;
};

}  // namespace helvanta
