#include "config/pvoutput_settings.hpp"

#include <optional>

#include "config/ini_file.hpp"
#include "config/web_settings.hpp"

namespace helvanta {

namespace {

// The host part of an address that passed IsValidPvoutputUrl, without an IPv6 address's brackets.
std::string_view UrlHost(std::string_view url) {
  url.remove_prefix(url.find("://") + 3);
  url = url.substr(0, url.find('/'));
  if (url.starts_with('[')) return url.substr(1, url.find(']') - 1);
  return url.substr(0, url.find(':'));
}

}  // namespace

bool IsValidPvoutputInterval(std::int32_t minutes) { return minutes == 5 || minutes == 10 || minutes == 15; }

bool IsValidPvoutputSystemId(std::string_view id) {
  return !id.empty() && id.size() <= 9 && id.find_first_not_of("0123456789") == std::string_view::npos;
}

bool IsValidPvoutputUrl(std::string_view url) {
  std::string_view rest = url;
  if (rest.starts_with("https://")) {
    rest.remove_prefix(8);
  } else if (rest.starts_with("http://")) {
    rest.remove_prefix(7);
  } else {
    return false;
  }
  if (rest.empty() || rest.starts_with('/') || url.ends_with('/')) return false;
  return rest.find_first_of("?#@ \t\r\n") == std::string_view::npos;
}

bool IsLoopbackUrl(std::string_view url) { return IsLoopbackHost(UrlHost(url)); }

TPvoutputSettings LoadPvoutputSettings(std::vector<TReplacedSetting>& replaced) {
  const IniFile ini(SettingsFilePath());
  TPvoutputSettings s;
  s.SystemId = ini.ReadString(kPvoutputSection, "SystemId", "");
  if (!s.SystemId.empty() && !IsValidPvoutputSystemId(s.SystemId)) {
    replaced.push_back({"[PVOutput] SystemId", s.SystemId, ""});
    s.SystemId.clear();
  }
  s.ApiKey = ini.ReadString(kPvoutputSection, "ApiKey", "");
  s.ApiKeyFile = ini.ReadString(kPvoutputSection, "ApiKeyFile", "");
  const std::string interval = ini.ReadString(kPvoutputSection, "Interval", "");
  if (!interval.empty()) {
    const std::optional<std::int32_t> minutes = ParseIniInteger(interval);
    if (minutes && IsValidPvoutputInterval(*minutes)) {
      s.Interval = *minutes;
    } else {
      replaced.push_back({"[PVOutput] Interval", interval, std::to_string(s.Interval)});
    }
  }
  const std::string url = ini.ReadString(kPvoutputSection, "Url", "");
  if (!url.empty()) {
    if (IsValidPvoutputUrl(url)) {
      s.Url = url;
    } else {
      replaced.push_back({"[PVOutput] Url", url, s.Url});
    }
  }
  return s;
}

}  // namespace helvanta
