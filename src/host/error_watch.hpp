#pragma once

#include <optional>
#include <string_view>

#include "logging/error_registers.hpp"
#include "runtime/host_message.hpp"

namespace helvanta {

class TLanguageList;

// Tells when the error registers go from clear to set, or back: one message each time,
// naming both registers. While either has no answer nothing changes.
class TErrorWatch {
 public:
  std::optional<THostMessage> Note(const TErrorRegisters& registers, const TLanguageList& list,
                                   std::string_view lineBreak);

 private:
  bool set_ = false;
};

}  // namespace helvanta
