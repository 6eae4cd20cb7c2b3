#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/date_time.hpp"
#include "web/metrics_text.hpp"

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

// The state and the values, each already written as a JSON value, so that what changed
// between two of them is found by comparing texts.
struct TLiveParts {
  static constexpr std::array<std::string_view, 7> kFieldNames{"time",   "date",        "connected",  "port",
                                                               "device", "last_record", "todays_file"};
  std::array<std::string, kFieldNames.size()> fields;
  std::vector<std::string> values;  // one per displayed measurand, in row order
};

// Reads the measurand table, so only the main thread may call it.
TLiveParts LiveParts(const TLiveState& state);
// The whole object: the state, then every value with its key, name and unit. Any thread.
std::string LiveJson(const TLiveParts& parts);
// Only what differs from before: the fields by name, the values under "values" by key;
// "" when nothing does.
std::string LiveChanges(const TLiveParts& before, const TLiveParts& after);

// What the main thread hands to the server's threads once a tick.
// The whole JSON is made from the parts by the server's threads, only when asked for.
struct TWebSnapshot {
  TLiveParts parts;
  std::string historyPath;  // the database the history answers come from
  TMetricsFigures metrics{};
  std::uint64_t version = 0;
};

// The one place both sides meet: the main thread publishes, the server's threads read a
// snapshot that stays whole while they use it, or wait for the next one. While closed,
// every wait ends at once, so a server can stop without waiting for its streams.
class TSnapshotSlot {
 public:
  void Publish(TWebSnapshot snapshot);
  // Empty until the first tick has published.
  std::shared_ptr<const TWebSnapshot> Read() const;
  // A snapshot newer than the version, waiting for it up to the time; empty when none
  // came or the slot is closed.
  std::shared_ptr<const TWebSnapshot> WaitNewer(std::uint64_t version, std::chrono::milliseconds most) const;
  // Waits the time out unless the slot closes first; false when it did.
  bool Pause(std::chrono::milliseconds time) const;
  void Close();
  void Open();
  bool Closed() const;
  // Whether anybody read since the last call (true before the first).
  bool TakeRead() { return read_.exchange(false); }

 private:
  mutable std::atomic<bool> read_{true};
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::shared_ptr<const TWebSnapshot> current_;
  std::uint64_t version_ = 0;
  bool closed_ = false;
};

}  // namespace helvanta
