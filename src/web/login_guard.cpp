#include "web/login_guard.hpp"

#include <algorithm>

namespace helvanta {

namespace {

constexpr int kFreeTries = 3;  // typing mistakes cost nothing
constexpr std::int64_t kFirstDelayMs = 250;
constexpr std::int64_t kLongestDelayMs = 8'000;
constexpr std::int64_t kForgetMs = 15 * 60'000;  // a quiet address starts afresh
constexpr std::int64_t kReportGapMs = 3'600'000;
constexpr std::size_t kMostAddresses = 1024;  // so that spoofed addresses cannot fill the memory

}  // namespace

std::int64_t TLoginGuard::Failed(std::string_view address, std::int64_t nowMs) {
  const std::lock_guard lock(mutex_);
  auto found = addresses_.find(address);
  if (found == addresses_.end()) {
    if (addresses_.size() >= kMostAddresses) {
      // The address silent longest makes room (its count goes unreported).
      addresses_.erase(std::min_element(addresses_.begin(), addresses_.end(), [](const auto& a, const auto& b) {
        return a.second.lastMs < b.second.lastMs;
      }));
    }
    found = addresses_.emplace(std::string(address), TAddress{}).first;
  }
  TAddress& entry = found->second;
  if (nowMs - entry.lastMs > kForgetMs) entry.streak = 0;
  entry.lastMs = nowMs;
  ++entry.unreported;
  if (++entry.streak <= kFreeTries) return 0;
  const int doublings = std::min(entry.streak - kFreeTries - 1, 10);
  return std::min(kFirstDelayMs << doublings, kLongestDelayMs);
}

void TLoginGuard::Succeeded(std::string_view address) {
  const std::lock_guard lock(mutex_);
  if (const auto found = addresses_.find(address); found != addresses_.end()) found->second.streak = 0;
}

std::string TLoginGuard::TakeReport(std::int64_t nowMs) {
  const std::lock_guard lock(mutex_);
  if (reported_ && nowMs - reportedAtMs_ < kReportGapMs) return {};
  std::string report;
  for (auto it = addresses_.begin(); it != addresses_.end();) {
    TAddress& entry = it->second;
    if (entry.unreported > 0) {
      if (!report.empty()) report += ", ";
      report += it->first;
      report += ": ";
      report += std::to_string(entry.unreported);
      entry.unreported = 0;
    }
    // Nothing left to slow down or to report.
    it = entry.streak == 0 || nowMs - entry.lastMs > kForgetMs ? addresses_.erase(it) : std::next(it);
  }
  if (report.empty()) return report;
  reported_ = true;
  reportedAtMs_ = nowMs;
  return report;
}

}  // namespace helvanta
