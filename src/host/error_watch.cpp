#include "host/error_watch.hpp"

#include "config/language.hpp"
#include "config/text_keys.hpp"

namespace helvanta {

std::optional<THostMessage> TErrorWatch::Note(const TErrorRegisters& registers, const TLanguageList& list,
                                              std::string_view lineBreak) {
  // The two are asked for a second apart: the message waits for both, to name both.
  if (!registers.errorCode || !registers.state) return std::nullopt;
  const std::optional<bool> problem = registers.Problem();
  if (!problem || *problem == set_) return std::nullopt;
  set_ = *problem;
  return THostMessage{set_ ? THostMessage::Severity::kWarning : THostMessage::Severity::kInformation,
                      ComposeKeyMessage(list, set_ ? text_key::kInverterError : text_key::kInverterErrorCleared,
                                        registers.Text(), lineBreak)};
}

}  // namespace helvanta
