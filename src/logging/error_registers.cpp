#include "logging/error_registers.hpp"

#include <charconv>

#include "link/measurands.hpp"
#include "logging/measurand_presence.hpp"

namespace helvanta {

namespace {

constexpr int kErrorCodeRow = 28;
constexpr int kStateRow = 29;

std::optional<std::string> Register(int row, std::int64_t nowMs) {
  const TMeasurand& m = Measurands[static_cast<std::size_t>(IndexOfRow(row))];
  if (!IsPresent(m, nowMs)) return std::nullopt;
  return std::string(LoggedValue(m));
}

// A register that does not read as a number counts as set: it is not known to be clear.
bool IsSet(const std::string& text) {
  std::uint32_t bits = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), bits, 16);
  return error != std::errc() || end != text.data() + text.size() || bits != 0;
}

}  // namespace

std::optional<bool> TErrorRegisters::Problem() const {
  if (!errorCode && !state) return std::nullopt;
  return (errorCode && IsSet(*errorCode)) || (state && IsSet(*state));
}

std::string TErrorRegisters::Text() const {
  return std::string(RowCaption(kErrorCodeRow)) + " " + errorCode.value_or("?") + ", " +
         std::string(RowCaption(kStateRow)) + " " + state.value_or("?");
}

TErrorRegisters ErrorRegisters(std::int64_t nowMs) {
  return {Register(kErrorCodeRow, nowMs), Register(kStateRow, nowMs)};
}

}  // namespace helvanta
