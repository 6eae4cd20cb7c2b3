#include <string_view>

#include "service/service_installer.hpp"
#include "service/syslog_event_log.hpp"

namespace helvanta {

namespace {

// A unit-file word: quoted, with C escapes for quote and backslash, and '%' doubled so
// that systemd does not read it as a specifier.
std::string UnitWord(std::string_view text) {
  std::string word = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') word += '\\';
    if (c == '%') word += '%';
    word += c;
  }
  word += '"';
  return word;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// A file: URI for Documentation=, percent-encoded, with '%' doubled for systemd.
std::string FileUri(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       std::string_view("/-._~").find(c) != std::string_view::npos;
    if (plain) {
      uri += c;
    } else {
      uri.append("%%").append(1, kHex[byte >> 4]).append(1, kHex[byte & 0xF]);
    }
  }
  return uri;
}

}  // namespace

std::string UnitFilePath(const std::string& unitFolder) {
  return WithoutTrailingSlash(unitFolder) + "/" + kServiceName + ".service";
}

std::string ServiceUnitText(const TServiceUnitSettings& settings) {
  std::string text;
  text += "[Unit]\n";
  text += "Description=Helvanta 1.2 for Siemens SPN1000 (HelvantaService)\n";
  text.append("Documentation=")
      .append(settings.documentation.empty()
                  ? FileUri(WithoutTrailingSlash(settings.programFolder).append("/README.md"))
                  : settings.documentation)
      .append("\n");
  // Log records carry the wall-clock time.
  text += "After=time-sync.target\n";
  text += "\n";
  text += "[Service]\n";
  text += "Type=notify\n";
  text += "ExecStart=" + UnitWord(settings.executable) + " -service\n";
  text.append("User=").append(kServiceUser).append("\n");
  text += "SupplementaryGroups=dialout\n";
  text += "Restart=on-failure\n";
  // The service tries a missing port again by itself; a restart after a crash waits a
  // minute, so a crash loop cannot flood the journal either.
  text += "RestartSec=60\n";
  // Everything is read-only but the output folder; '-' lets the unit start while that
  // folder's file system is not mounted yet.
  text += "ProtectSystem=strict\n";
  if (!settings.stateDirectory.empty()) text.append("StateDirectory=").append(settings.stateDirectory).append("\n");
  text.append("ReadWritePaths=")
      .append(UnitWord(std::string("-").append(WithoutTrailingSlash(settings.outputFolder))))
      .append("\n");
  // Read-only rather than hidden, so that a program folder or output folder in a home
  // folder still works; the user's file permissions keep the service out of the rest.
  text += "ProtectHome=read-only\n";
  text += "PrivateTmp=yes\n";
  if (settings.network) {
    text += "RestrictAddressFamilies=AF_UNIX AF_INET AF_INET6\n";
  } else {
    text += "PrivateNetwork=yes\n";
    text += "RestrictAddressFamilies=AF_UNIX\n";
  }
  // Serial devices are reached through the dialout group. No DevicePolicy=closed: its
  // char-ttyUSB and char-ttyACM groups are looked up when the unit starts, so an adapter
  // whose driver loads later (plugged in after boot) would stay locked out until a restart.
  text += "NoNewPrivileges=yes\n";
  text += "CapabilityBoundingSet=\n";
  text += "ProtectKernelTunables=yes\n";
  text += "ProtectKernelModules=yes\n";
  text += "ProtectKernelLogs=yes\n";
  text += "ProtectControlGroups=yes\n";
  // No ProtectClock=: before systemd 252 it implies a device allow-list that shuts out the
  // serial port; without capabilities the service cannot set the clock anyway.
  text += "ProtectHostname=yes\n";
  text += "ProtectProc=invisible\n";
  text += "ProcSubset=pid\n";
  text += "PrivateMounts=yes\n";
  text += "RestrictNamespaces=yes\n";
  text += "RestrictRealtime=yes\n";
  text += "RestrictSUIDSGID=yes\n";
  text += "LockPersonality=yes\n";
  text += "MemoryDenyWriteExecute=yes\n";
  text += "RemoveIPC=yes\n";
  text += "SystemCallArchitectures=native\n";
  text += "SystemCallFilter=@system-service\n";
  // The event thread's priority is a hint: a refused setpriority() only leaves it normal.
  text += "SystemCallFilter=~@privileged @resources\n";
  text += "SystemCallErrorNumber=EPERM\n";
  text += "\n";
  text += "[Install]\n";
  text += "WantedBy=multi-user.target\n";
  return text;
}

}  // namespace helvanta
