#pragma once

#include <compare>
#include <cstdint>

namespace helvanta {

// An operating-system handle as portable code holds it: a file descriptor on POSIX, a
// HANDLE on Windows. Only the platform files give the value its meaning. Both use -1
// for "none" (INVALID_HANDLE_VALUE is -1 as a pointer), so the default is no handle.
class NativeHandle {
 public:
  constexpr NativeHandle() = default;
  constexpr explicit NativeHandle(std::intptr_t value) : value_(value) {}

  constexpr std::intptr_t Value() const { return value_; }
  constexpr bool IsValid() const { return value_ != kNone; }

  friend constexpr auto operator<=>(const NativeHandle&, const NativeHandle&) = default;

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t value_ = kNone;
};

}  // namespace helvanta
