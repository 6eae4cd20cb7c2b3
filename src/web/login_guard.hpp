#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace helvanta {

// Wrong logins, counted by the address they came from. Past the first few, each wrong
// login from an address is answered later than the one before, so guessing the password
// costs an attacker hours instead of seconds; a user at another address is never slowed.
// What came in is reported at most once an hour. Any thread may call it.
class TLoginGuard {
 public:
  // Counts a wrong login; how long to hold back its answer.
  std::int64_t Failed(std::string_view address, std::int64_t nowMs);
  // A right login: the address is no longer slowed.
  void Succeeded(std::string_view address);
  // "address: count, …" of the wrong logins since the last report, at most once an hour;
  // "" otherwise.
  std::string TakeReport(std::int64_t nowMs);

 private:
  struct TAddress {
    int streak = 0;               // wrong logins in a row
    std::int64_t unreported = 0;  // wrong logins since the last report
    std::int64_t lastMs = 0;
  };

  std::mutex mutex_;
  std::map<std::string, TAddress, std::less<>> addresses_;
  std::int64_t reportedAtMs_ = 0;
  bool reported_ = false;
};

}  // namespace helvanta
