#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "service/service_installer.hpp"
#include "service/syslog_event_log.hpp"

extern char** environ;

namespace helvanta {

namespace {

std::string EnvOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::string SystemError(int code) { return std::strerror(code); }

// Runs systemctl with the arguments; "" when it succeeded, else why not.
std::string RunSystemctl(const std::string& systemctl, const std::vector<std::string>& arguments) {
  std::vector<std::string> words{systemctl};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::string commandLine;
  for (const auto& w : words) commandLine += (commandLine.empty() ? "" : " ") + w;

  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, systemctl.c_str(), nullptr, nullptr, argv.data(), environ);
  if (rc != 0) return "could not run " + systemctl + ": " + SystemError(rc);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return "could not wait for " + commandLine + ": " + SystemError(errno);
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  if (WIFEXITED(status)) return commandLine + " failed with exit code " + std::to_string(WEXITSTATUS(status));
  return commandLine + " was ended by signal " + std::to_string(WTERMSIG(status));
}

// Writes the file whole or not at all: a temporary file renamed over the target.
std::string WriteFileAtomically(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".new";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return "could not write " + path + ": " + SystemError(errno);
  std::size_t written = 0;
  int error = 0;
  while (written < text.size()) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    return "could not write " + path + ": " + SystemError(error);
  }
  return {};
}

TServiceInstallResult Failed(const std::string& reason) { return {false, std::string(kServiceName) + ": " + reason}; }

}  // namespace

TServiceInstallPlace DefaultInstallPlace() {
  return {EnvOr("HELVANTA_UNIT_DIR", "/etc/systemd/system"), EnvOr("HELVANTA_SYSTEMCTL", "systemctl")};
}

TServiceInstallResult InstallService(const TServiceInstallPlace& place, const TServiceUnitSettings& settings) {
  const std::string unitPath = UnitFilePath(place.unitFolder);
  if (std::string error = WriteFileAtomically(unitPath, ServiceUnitText(settings)); !error.empty()) {
    return Failed(error);
  }
  const std::string unitName = std::string(kServiceName) + ".service";
  for (const auto& arguments : {std::vector<std::string>{"daemon-reload"}, std::vector<std::string>{"enable", unitName}}) {
    if (std::string error = RunSystemctl(place.systemctl, arguments); !error.empty()) {
      return Failed(error + " (the unit file " + unitPath + " is written but not enabled)");
    }
  }
  return {true, "Service installed successfully"};
}

TServiceInstallResult UninstallService(const TServiceInstallPlace& place) {
  const std::string unitPath = UnitFilePath(place.unitFolder);
  struct stat info {};
  if (stat(unitPath.c_str(), &info) != 0) {
    if (errno == ENOENT) return Failed("the service is not installed (" + unitPath + " does not exist)");
    return Failed("could not read " + unitPath + ": " + SystemError(errno));
  }
  const std::string unitName = std::string(kServiceName) + ".service";
  if (std::string error = RunSystemctl(place.systemctl, {"disable", unitName}); !error.empty()) return Failed(error);
  if (unlink(unitPath.c_str()) != 0) return Failed("could not remove " + unitPath + ": " + SystemError(errno));
  if (std::string error = RunSystemctl(place.systemctl, {"daemon-reload"}); !error.empty()) return Failed(error);
  return {true, "Service uninstalled successfully"};
}

}  // namespace helvanta
