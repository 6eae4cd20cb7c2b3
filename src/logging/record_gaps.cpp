#include "logging/record_gaps.hpp"

#include "config/language.hpp"
#include "config/text_keys.hpp"
#include "logging/measurand_presence.hpp"

namespace helvanta {

void TRecordGaps::PortOpened(std::int64_t nowMs) {
  openedAtMs_ = nowMs;
  // A value missing then went missing while the port was open, by lost answers, unless
  // the port was closed long enough for the values to age.
  startUp_ = !lastRunMs_ || nowMs - *lastRunMs_ > kPresenceWindowMs;
}

TRecordGaps::Report TRecordGaps::Note(const LogOutcome& outcome, std::int64_t nowMs, const TLanguageList& list,
                                      std::string_view lineBreak) {
  lastRunMs_ = nowMs;
  if (!outcome.due) return {};
  if (outcome.Written()) {
    if (!reports_.Succeeded()) return {};
    const int missed = missed_;
    missed_ = 0;
    return {Kind::kResumed, ComposeKeyMessage(list, text_key::kRecordsResumed, std::to_string(missed), lineBreak)};
  }
  if (outcome.missing.empty() || (startUp_ && nowMs - openedAtMs_ < kStartUpMs)) return {};
  ++missed_;
  ++skipped_;
  if (reports_.Failed(nowMs) == FailureReport::kNone) return {};
  return {Kind::kSkipped, ComposeKeyMessage(list, text_key::kRecordSkipped, MissingNames(outcome.missing), lineBreak)};
}

}  // namespace helvanta
