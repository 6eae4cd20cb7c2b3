#pragma once

#include <string>
#include <string_view>

namespace helvanta {

class TLanguageList;

// The system log takes LF as its line break.
inline constexpr std::string_view kEventLineBreak = "\n";

// Warning at start when Helvanta.ini is missing (key 0006 with the file's full path).
std::string SettingsMissingMessage(const TLanguageList& list);
// "Service started." and "Connected to Siemens SPN1000." on two lines; translated only
// when both 0004 and 0002 have a text.
std::string StartMessage(const TLanguageList& list);
// "Service stopped." and "Connection closed." on two lines; translated only when both
// 0005 and 0003 have a text.
std::string StopMessage(const TLanguageList& list);
// "Service failed on <action>: <message>".
std::string ServiceFailedMessage(std::string_view action, std::string_view message);

}  // namespace helvanta
