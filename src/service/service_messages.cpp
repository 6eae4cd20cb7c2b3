#include "service/service_messages.hpp"

#include "config/language.hpp"
#include "config/settings.hpp"
#include "config/text_keys.hpp"

namespace helvanta {

namespace {

// Two texts joined by the line-break marker; the translation counts only as a pair.
std::string PairMessage(const TLanguageList& list, std::string_view firstKey, std::string_view secondKey) {
  std::string first = list.LookupText(firstKey);
  std::string second = list.LookupText(secondKey);
  if (first.empty() || second.empty()) {
    first = BuiltinText(firstKey);
    second = BuiltinText(secondKey);
  }
  return ComposeMessage(first + "\\n" + second, "", kEventLineBreak);
}

}  // namespace

std::string SettingsMissingMessage(const TLanguageList& list) {
  return ComposeKeyMessage(list, text_key::kSettingsFileMissing, SettingsFilePath(), kEventLineBreak);
}

std::string StartMessage(const TLanguageList& list) {
  return PairMessage(list, text_key::kServiceStarted, text_key::kConnected);
}

std::string StopMessage(const TLanguageList& list) {
  return PairMessage(list, text_key::kServiceStopped, text_key::kConnectionClosed);
}

std::string ServiceFailedMessage(std::string_view action, std::string_view message) {
  return "Service failed on " + std::string(action) + ": " + std::string(message);
}

}  // namespace helvanta
