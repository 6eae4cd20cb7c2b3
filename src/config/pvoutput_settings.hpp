#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.hpp"

namespace helvanta {

// The [PVOutput] section of Helvanta.ini: uploads are off without a SystemId.
struct TPvoutputSettings {
  std::string SystemId;
  std::string ApiKey;
  std::string ApiKeyFile;     // its first line is the key; it wins over ApiKey
  std::int32_t Interval = 5;  // the system's status interval on PVOutput, minutes
  std::string Url = "https://pvoutput.org";

  bool Enabled() const { return !SystemId.empty(); }
};

inline constexpr std::string_view kPvoutputSection = "PVOutput";
inline constexpr std::string_view kDefaultPvoutputUrl = "https://pvoutput.org";

// PVOutput offers 5, 10 and 15 minutes; a system id is a whole number.
bool IsValidPvoutputInterval(std::int32_t minutes);
bool IsValidPvoutputSystemId(std::string_view id);
// "https://host[:port][/path]" or "http://…", without a trailing '/', query or fragment.
bool IsValidPvoutputUrl(std::string_view url);
// Whether the address's host is this machine (127.x.x.x, [::1], localhost).
bool IsLoopbackUrl(std::string_view url);

// Reads [PVOutput]; a value present but unusable is replaced by its default and added to
// replaced, keys named "[PVOutput] <key>". An invalid SystemId turns uploads off.
TPvoutputSettings LoadPvoutputSettings(std::vector<TReplacedSetting>& replaced);

}  // namespace helvanta
