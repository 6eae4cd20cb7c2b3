#include "year/event_tally.hpp"

#include <algorithm>
#include <string_view>

#include "config/language.hpp"

namespace helvanta::year {

namespace {

constexpr std::size_t kOthersKept = 20;

struct KindKey {
  TEventKind kind;
  std::string_view key;
  const char* name;
};

constexpr std::array<KindKey, kEventKinds - 1> kKeys{{
    {TEventKind::kStarted, "0004", "service started (0004)"},
    {TEventKind::kStopped, "0005", "service stopped (0005)"},
    {TEventKind::kLineLost, "4001", "no connection (4001)"},
    {TEventKind::kLineStillLost, "4002", "still no connection (4002)"},
    {TEventKind::kLineBack, "4003", "connected again (4003)"},
    {TEventKind::kRecordSkipped, "4005", "no record written (4005)"},
    {TEventKind::kRecordsAgain, "4006", "records written again (4006)"},
    {TEventKind::kClockSet, "4080", "clock set (4080)"},
}};

// The fixed start of a key's built-in text, before its "%s".
std::string_view FixedStart(std::string_view key) {
  const std::string_view text = BuiltinText(key);
  return text.substr(0, std::min(text.find("%s"), text.find("\\n")));
}

TEventKind KindOf(std::string_view message) {
  for (const KindKey& k : kKeys) {
    const std::string_view start = FixedStart(k.key);
    if (!start.empty() && message.starts_with(start)) return k.kind;
  }
  return TEventKind::kOther;
}

}  // namespace

const char* EventKindName(TEventKind kind) {
  for (const KindKey& k : kKeys) {
    if (k.kind == kind) return k.name;
  }
  return "other";
}

void TEventTally::Write(TEventType, const std::string& message) {
  const TEventKind kind = KindOf(message);
  ++counts_[static_cast<std::size_t>(kind)];
  if (day_ >= 0) {
    if (perDay_.size() <= static_cast<std::size_t>(day_)) perDay_.resize(static_cast<std::size_t>(day_) + 1);
    ++perDay_[static_cast<std::size_t>(day_)];
  }
  if (kind == TEventKind::kOther && others_.size() < kOthersKept) others_.push_back(message);
  new_.push_back({kind, message});
}

std::vector<TTalliedEvent> TEventTally::TakeNew() {
  std::vector<TTalliedEvent> events;
  events.swap(new_);
  return events;
}

std::uint64_t TEventTally::Total() const {
  std::uint64_t total = 0;
  for (const std::uint64_t c : counts_) total += c;
  return total;
}

std::uint64_t TEventTally::MostInADay() const {
  return perDay_.empty() ? 0 : *std::max_element(perDay_.begin(), perDay_.end());
}

}  // namespace helvanta::year
