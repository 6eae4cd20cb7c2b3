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

}  // namespace

std::string UnitFilePath(const std::string& unitFolder) {
  return WithoutTrailingSlash(unitFolder) + "/" + kServiceName + ".service";
}

std::string ServiceUnitText(const TServiceUnitSettings& settings) {
  // Only absolute folders can be opened up; '-' lets the unit start while one is missing.
  std::string writable = UnitWord("-" + WithoutTrailingSlash(settings.programFolder));
  if (!settings.outputFolder.empty() && settings.outputFolder.front() == '/') {
    writable += " " + UnitWord("-" + WithoutTrailingSlash(settings.outputFolder));
  }
  std::string text;
  text += "[Unit]\n";
  text += "Description=Helvanta 1.2 for Siemens SPN1000 (HelvantaService)\n";
  text += "\n";
  text += "[Service]\n";
  text += "Type=notify\n";
  text += "ExecStart=" + UnitWord(settings.executable) + " -service\n";
  text += "Restart=on-failure\n";
  // The service tries a missing port again by itself; a restart after a crash waits a
  // minute, so a crash loop cannot flood the journal either.
  text += "RestartSec=60\n";
  // The file system stays read-only except the program's folder and the log folder;
  // devices stay reachable, so the serial port can be opened.
  text += "ProtectSystem=strict\n";
  text += "ReadWritePaths=" + writable + "\n";
  text += "PrivateTmp=yes\n";
  text += "NoNewPrivileges=yes\n";
  text += "ProtectKernelTunables=yes\n";
  text += "ProtectKernelModules=yes\n";
  text += "ProtectControlGroups=yes\n";
  text += "RestrictRealtime=yes\n";
  text += "LockPersonality=yes\n";
  text += "\n";
  text += "[Install]\n";
  text += "WantedBy=multi-user.target\n";
  return text;
}

}  // namespace helvanta
