#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

// How a command ended: its exit code (-1 when it did not run or did not end normally)
// and, unless it succeeded, why not with what it printed.
struct TCommandOutcome {
  int exitCode = -1;
  std::string failure;
};

// Runs a command with its output captured, so that a success stays quiet and a failure
// can quote it.
TCommandOutcome RunCommand(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::string commandLine;
  for (const auto& w : words) commandLine.append(commandLine.empty() ? "" : " ").append(w);

  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) return {-1, "could not run " + words[0] + ": " + SystemError(errno)};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, words[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  std::string printed;
  char buffer[4096];
  for (ssize_t n = 0; rc == 0 && (n = read(output[0], buffer, sizeof buffer)) != 0;) {
    if (n > 0) {
      printed.append(buffer, static_cast<std::size_t>(n));
    } else if (errno != EINTR) {
      break;
    }
  }
  close(output[0]);
  if (rc != 0) return {-1, "could not run " + words[0] + ": " + SystemError(rc)};

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return {-1, "could not wait for " + commandLine + ": " + SystemError(errno)};
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {0, {}};
  while (!printed.empty() && (printed.back() == '\n' || printed.back() == ' ')) printed.pop_back();
  const std::string said = printed.empty() ? std::string() : std::string(" (").append(printed).append(")");
  if (WIFEXITED(status)) {
    return {WEXITSTATUS(status), commandLine + " failed with exit code " + std::to_string(WEXITSTATUS(status)) + said};
  }
  return {-1, commandLine + " was ended by signal " + std::to_string(WTERMSIG(status)) + said};
}

// The folder with one trailing separator, symbolic links resolved; "" when it cannot be.
std::string RealFolder(const std::string& folder) {
  char resolved[PATH_MAX];
  if (realpath(folder.c_str(), resolved) == nullptr) return {};
  std::string path = resolved;
  if (path.back() != '/') path += '/';
  return path;
}

// The output folder must exist (it is never created), and the service may write there
// only: not in the program's own folder.
std::string CheckOutputFolder(const TServiceUnitSettings& settings) {
  const std::string& folder = settings.outputFolder;
  if (folder.empty() || folder.front() != '/') {
    return "the output folder \"" + folder + "\" is not an absolute path; set OutputFolder in Helvanta.ini";
  }
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0) {
    const int error = errno;
    return "the output folder " + folder + " cannot be used: " + SystemError(error) +
           " (create it, then install again)";
  }
  if (!S_ISDIR(info.st_mode)) return "the output folder " + folder + " is not a folder";
  const std::string output = RealFolder(folder);
  const std::string program = RealFolder(settings.programFolder);
  if (!output.empty() && !program.empty() && program.starts_with(output)) {
    return "the output folder " + folder + " holds the program's folder " + settings.programFolder +
           ", which the service must not write; give the logs a folder of their own";
  }
  return {};
}

// The daily logs (yymmdd.csv) already in the output folder, so that the service can go
// on appending to today's. Links are left out: chown would follow them.
std::vector<std::string> DailyLogs(const std::string& folder) {
  std::vector<std::string> logs;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    const bool dailyName = name.size() == 10 && name.ends_with(".csv") &&
                           std::all_of(name.begin(), name.begin() + 6, [](char c) { return c >= '0' && c <= '9'; });
    if (dailyName && entry.symlink_status(error).type() == std::filesystem::file_type::regular) {
      logs.push_back(entry.path().string());
    }
  }
  std::sort(logs.begin(), logs.end());
  return logs;
}

// Creates the service user, or makes sure that an existing one is in dialout.
std::string EnsureServiceUser(const TServiceInstallPlace& place) {
  const TCommandOutcome added = RunCommand({place.useradd, "--system", "--no-create-home", "--shell",
                                            "/usr/sbin/nologin", "--groups", "dialout", kServiceUser});
  // useradd's exit code for a name already in use.
  constexpr int kNameInUse = 9;
  if (added.exitCode != kNameInUse) return added.failure;
  return RunCommand({place.usermod, "--append", "--groups", "dialout", kServiceUser}).failure;
}

// Gives the service user the output folder and the daily logs in it.
std::string GiveOutputFolder(const TServiceInstallPlace& place, const std::string& folder) {
  std::vector<std::string> words{place.chown, std::string(kServiceUser).append(":"), folder};
  const std::vector<std::string> logs = DailyLogs(folder);
  words.insert(words.end(), logs.begin(), logs.end());
  return RunCommand(std::move(words)).failure;
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
  return {EnvOr("HELVANTA_UNIT_DIR", "/etc/systemd/system"), EnvOr("HELVANTA_SYSTEMCTL", "systemctl"),
          EnvOr("HELVANTA_USERADD", "/usr/sbin/useradd"), EnvOr("HELVANTA_USERMOD", "/usr/sbin/usermod"),
          EnvOr("HELVANTA_CHOWN", "chown")};
}

TServiceInstallResult InstallService(const TServiceInstallPlace& place, const TServiceUnitSettings& settings) {
  if (std::string error = CheckOutputFolder(settings); !error.empty()) return Failed(error);
  if (std::string error = EnsureServiceUser(place); !error.empty()) return Failed(error);
  if (std::string error = GiveOutputFolder(place, settings.outputFolder); !error.empty()) return Failed(error);
  const std::string unitPath = UnitFilePath(place.unitFolder);
  if (std::string error = WriteFileAtomically(unitPath, ServiceUnitText(settings)); !error.empty()) {
    return Failed(error);
  }
  const std::string unitName = std::string(kServiceName) + ".service";
  // try-restart: a service already running takes up the new unit (say, a new output folder).
  for (const auto& arguments : {std::vector<std::string>{"daemon-reload"}, std::vector<std::string>{"enable", unitName},
                                std::vector<std::string>{"try-restart", unitName}}) {
    std::vector<std::string> words{place.systemctl};
    words.insert(words.end(), arguments.begin(), arguments.end());
    if (std::string error = RunCommand(std::move(words)).failure; !error.empty()) {
      return Failed(error + " (the unit file " + unitPath + " is written)");
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
  // --now stops a running service before its unit goes.
  if (std::string error = RunCommand({place.systemctl, "disable", "--now", unitName}).failure; !error.empty()) {
    return Failed(error);
  }
  if (unlink(unitPath.c_str()) != 0) return Failed("could not remove " + unitPath + ": " + SystemError(errno));
  if (std::string error = RunCommand({place.systemctl, "daemon-reload"}).failure; !error.empty()) return Failed(error);
  return {true, "Service uninstalled successfully"};
}

}  // namespace helvanta
