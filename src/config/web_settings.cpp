#include "config/web_settings.hpp"

#include <charconv>

#include "config/ini_file.hpp"

namespace helvanta {

namespace {

bool IsDecimal(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Four decimal parts 0..255 without leading zeros (which some parsers read as octal).
bool IsIpv4(std::string_view text) {
  int parts = 0;
  while (true) {
    const std::size_t dot = text.find('.');
    const std::string_view part = text.substr(0, dot);
    if (!IsDecimal(part) || part.size() > 3 || (part.size() > 1 && part[0] == '0')) return false;
    int value = 0;
    std::from_chars(part.data(), part.data() + part.size(), value);
    if (value > 255) return false;
    ++parts;
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  return parts == 4;
}

// The characters an IPv6 address may hold; the socket layer checks the rest.
bool LooksLikeIpv6(std::string_view text) {
  return text.find(':') != std::string_view::npos && text.size() <= 45 &&
         text.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
}

}  // namespace

std::string TListenAddress::Text() const {
  const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  return shown + ":" + std::to_string(port);
}

std::optional<TListenAddress> ParseListenAddress(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view host = text.substr(0, colon);
  const std::string_view portText = text.substr(colon + 1);
  int port = 0;
  if (!IsDecimal(portText) || portText.size() > 5) return std::nullopt;
  std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (port < 1 || port > 65535) return std::nullopt;
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
    if (!LooksLikeIpv6(host)) return std::nullopt;
  } else if (host != "localhost" && !IsIpv4(host)) {
    return std::nullopt;
  }
  return TListenAddress{std::string(host), port};
}

bool IsLoopbackHost(std::string_view host) {
  return host == "localhost" || host == "::1" || (IsIpv4(host) && host.starts_with("127."));
}

TWebSettings LoadWebSettings(std::vector<TReplacedSetting>& replaced) {
  const IniFile ini(SettingsFilePath());
  TWebSettings settings;
  if (!ini.HasSection(kWebSection)) return settings;
  const std::string listen = ini.ReadString(kWebSection, "Listen", kDefaultWebListen);
  settings.Enabled = !listen.empty();
  if (settings.Enabled) {
    if (const std::optional<TListenAddress> address = ParseListenAddress(listen)) {
      settings.Listen = *address;
    } else {
      replaced.push_back({"[Web] Listen", listen, std::string(kDefaultWebListen)});
    }
  }
  settings.User = ini.ReadString(kWebSection, "User", "");
  settings.Password = ini.ReadString(kWebSection, "Password", "");
  return settings;
}

}  // namespace helvanta
