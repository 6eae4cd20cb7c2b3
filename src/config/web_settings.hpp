#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.hpp"

namespace helvanta {

// Where the web page listens: a numeric IPv4 or IPv6 address (or "localhost") and a port.
struct TListenAddress {
  std::string host;  // without the brackets of an IPv6 address
  int port = 0;

  // "127.0.0.1:8480", "[::1]:8480": as Listen= writes it and a browser's address bar takes it.
  std::string Text() const;
};

// The [Web] section of Helvanta.ini: the page is off without the section (or with an
// empty Listen), and on the loopback address by default when the section is there.
struct TWebSettings {
  bool Enabled = false;
  TListenAddress Listen{"127.0.0.1", 8480};
  std::string User;
  std::string Password;

  bool HasCredentials() const { return !User.empty() && !Password.empty(); }
};

inline constexpr std::string_view kWebSection = "Web";
inline constexpr std::string_view kDefaultWebListen = "127.0.0.1:8480";

// "host:port" with a port 1..65535; an IPv6 address in brackets. Host names other than
// "localhost" are refused, so that starting never waits for a name lookup.
std::optional<TListenAddress> ParseListenAddress(std::string_view text);

// Whether only this machine can reach the address: 127.x.x.x, ::1 and "localhost".
bool IsLoopbackHost(std::string_view host);

// Reads [Web]; an unusable Listen is replaced by the default and added to replaced.
TWebSettings LoadWebSettings(std::vector<TReplacedSetting>& replaced);

}  // namespace helvanta
