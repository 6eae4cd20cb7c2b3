// The built program run as a process: service mode against a pseudo-terminal, its
// readiness and stop under a stand-in for systemd's notify socket, and installing.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "serial/pty_pair.hpp"
#include "service/temp_folder.hpp"

namespace helvanta::testing {
namespace {

// A datagram socket in the place of systemd's, to read what sd_notify sends.
class NotifySocket {
 public:
  explicit NotifySocket(const std::string& path) : path_(path) {
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      throw std::runtime_error("cannot bind the notify socket");
    }
  }
  ~NotifySocket() { close(fd_); }
  NotifySocket(const NotifySocket&) = delete;
  NotifySocket& operator=(const NotifySocket&) = delete;

  // The next message, or "" when none came in time.
  std::string Next(int timeoutMs = 5000) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return {};
    char buffer[512];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
  }

 private:
  std::string path_;
  int fd_ = -1;
};

// A copy of the program in a fresh folder, so that Helvanta.ini lies beside it.
class HelvantaProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program = folder.Path("helvanta");
    std::filesystem::copy_file(HELVANTA_BINARY_DIR "/src/app/helvanta", program);
    std::filesystem::create_directory(folder.Path("Data"));
    folder.WriteFile("Template.csv", "%date%,%time%,%1%\r\n");
  }

  void WriteSettings(const std::string& device) {
    folder.WriteFile("Helvanta.ini", "[Data Logging]\nComPort=COM1\nFrom=00:00:00\nTill=23:59:59\nTemplateFile=" +
                                         folder.Path("Template.csv") + "\nOutputFolder=" + folder.Path("Data") +
                                         "\nReceivePseudoData=1\n[Ports]\nCOM1=" + device + "\n");
  }

  // Starts the program with the arguments and extra environment; output goes to files.
  pid_t Start(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<std::string> env{"PATH=/usr/bin:/bin"};
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, folder.Path("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, folder.Path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start the program");
    return pid;
  }

  // Waits for the process; its exit code, or -1 when it did not end in time.
  static int Wait(pid_t pid, int timeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
      }
      poll(nullptr, 0, 10);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  int Run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
    return Wait(Start(arguments, environment));
  }

  std::string Out() const { return TempFolder::ReadFile(folder.Path("stdout")); }
  std::string Err() const { return TempFolder::ReadFile(folder.Path("stderr")); }

  TempFolder folder;
  std::string program;
};

TEST_F(HelvantaProcessTest, ServiceReportsReadyAfterItsStartAndStopsOnSigterm) {
  PtyPair pty;
  WriteSettings(pty.SlavePath());
  NotifySocket notify(folder.Path("notify"));
  const pid_t pid = Start({"-service"}, {"NOTIFY_SOCKET=" + folder.Path("notify")});

  EXPECT_EQ(notify.Next(), "READY=1");
  // Ready comes after the start event, which follows the opening of the port.
  EXPECT_NE(Err().find("Service started.\nConnected to Siemens SPN1000."), std::string::npos) << Err();

  kill(pid, SIGTERM);
  EXPECT_EQ(notify.Next(), "STOPPING=1");
  EXPECT_EQ(Wait(pid), 0);
  EXPECT_NE(Err().find("Service stopped.\nConnection closed."), std::string::npos) << Err();
}

TEST_F(HelvantaProcessTest, AServiceWithoutItsPortSaysSoOnceAndKeepsTrying) {
  WriteSettings(folder.Path("no-such-tty"));
  NotifySocket notify(folder.Path("notify"));
  const pid_t pid = Start({"/Service"}, {"NOTIFY_SOCKET=" + folder.Path("notify")});
  // Running, so systemd does not restart it into a flood of start failures.
  EXPECT_EQ(notify.Next(), "READY=1");
  EXPECT_NE(Err().find("Error: No connection to the inverter: Unable to open com port (" + folder.Path("no-such-tty") +
                       ": No such file or directory, error 2)\nTrying again."),
            std::string::npos)
      << Err();
  EXPECT_EQ(Err().find("Service started."), std::string::npos) << Err();
  kill(pid, SIGTERM);
  EXPECT_EQ(notify.Next(), "STOPPING=1");
  EXPECT_EQ(Wait(pid), 0);
}

TEST_F(HelvantaProcessTest, InstallAndUninstallReportAndEndWithTheirCodes) {
  std::filesystem::create_directory(folder.Path("units"));
  folder.WriteFile("systemctl", "#!/bin/sh\necho \"$@\" >> '" + folder.Path("calls") + "'\n");
  chmod(folder.Path("systemctl").c_str(), 0755);
  const std::vector<std::string> place{"HELVANTA_UNIT_DIR=" + folder.Path("units"),
                                       "HELVANTA_SYSTEMCTL=" + folder.Path("systemctl")};
  const std::string unit = folder.Path("units/HelvantaService.service");

  // -install wins over -uninstall; -silent keeps success quiet.
  EXPECT_EQ(Run({"-service", "-uninstall", "-install", "-silent"}, place), 0);
  EXPECT_EQ(Out(), "");
  EXPECT_TRUE(std::filesystem::exists(unit));
  EXPECT_NE(TempFolder::ReadFile(unit).find("ExecStart=\"" + program + "\" -service\n"), std::string::npos);
  const std::string programFolder = folder.Folder().substr(0, folder.Folder().size() - 1);
  EXPECT_NE(TempFolder::ReadFile(unit).find("ReadWritePaths=\"-" + programFolder + "\" \"-" + folder.Path("Data") + "\"\n"),
            std::string::npos)
      << TempFolder::ReadFile(unit);

  EXPECT_EQ(Run({"-service", "-uninstall"}, place), 0);
  EXPECT_EQ(Out(), "Service uninstalled successfully\n");
  EXPECT_FALSE(std::filesystem::exists(unit));

  // Failure is printed with its reason even with -silent, and the exit code says so.
  EXPECT_EQ(Run({"-service", "-uninstall", "-silent"}, place), 1);
  EXPECT_NE(Err().find("HelvantaService: the service is not installed"), std::string::npos) << Err();
  EXPECT_EQ(Run({"-service", "-install"}, {"HELVANTA_UNIT_DIR=" + folder.Path("units"),
                                           "HELVANTA_SYSTEMCTL=" + folder.Path("no-systemctl")}),
            1);
  EXPECT_NE(Err().find("could not run " + folder.Path("no-systemctl")), std::string::npos) << Err();
  EXPECT_EQ(Run({"-service", "-install"}, place), 0);
  EXPECT_EQ(Out(), "Service installed successfully\n");
}

#ifndef HELVANTA_TEST_HAVE_WINDOW
TEST_F(HelvantaProcessTest, WithoutWindowSupportWindowModeSaysSoAndEnds) {
  EXPECT_EQ(Run({"-install"}), 0);
  EXPECT_NE(Err().find("this build has no window"), std::string::npos) << Err();
}
#endif

}  // namespace
}  // namespace helvanta::testing
