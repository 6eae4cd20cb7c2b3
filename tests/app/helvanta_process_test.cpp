// The built program run as a process: service mode against a pseudo-terminal, its
// readiness and stop under a stand-in for systemd's notify socket, installing, the
// answers that need no display, and the window's start and stop.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/file_bytes.hpp"
#include "support/pty_pair_posix.hpp"
#include "support/spawn_posix.hpp"
#include "support/temp_folder.hpp"

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
    program = folder.File("helvanta");
    std::filesystem::copy_file(HELVANTA_BINARY_DIR "/src/app/helvanta", program);
#ifdef HELVANTA_TEST_HAVE_WINDOW
    std::filesystem::copy_file(HELVANTA_BINARY_DIR "/src/app/helvanta-window", folder.File("helvanta-window"));
#endif
    std::filesystem::create_directory(folder.File("Data"));
    folder.WriteFile("Template.csv", "%date%,%time%,%1%\r\n");
  }

  void WriteSettings(const std::string& device) {
    folder.WriteFile("Helvanta.ini", "[Data Logging]\nComPort=COM1\nFrom=00:00:00\nTill=23:59:59\nTemplateFile=" +
                                         folder.File("Template.csv") + "\nOutputFolder=" + folder.File("Data") +
                                         "\nReceivePseudoData=1\n[Ports]\nCOM1=" + device + "\n");
  }

  // Starts the program with the arguments and extra environment; output goes to files.
  pid_t Start(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    SpawnRequest request;
    request.words = {program};
    request.words.insert(request.words.end(), arguments.begin(), arguments.end());
    request.outputPath = folder.File("stdout");
    request.errorPath = folder.File("stderr");
    request.environment = {"PATH=/usr/bin:/bin"};
    request.environment->insert(request.environment->end(), environment.begin(), environment.end());
    const pid_t pid = Spawn(request);
    if (pid < 0) throw std::runtime_error("cannot start the program");
    return pid;
  }

  // Waits for the process; its exit code, or -1 when it did not end in time.
  static int Wait(pid_t pid, int timeoutMs = 10000) {
    const std::optional<int> code = WaitExitWithin(pid, std::chrono::milliseconds(timeoutMs));
    if (!code) KillAndReap(pid);
    return code.value_or(-1);
  }

  int Run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
    return Wait(Start(arguments, environment));
  }

  // The process's memory map: the libraries it has loaded.
  static std::string Maps(pid_t pid) { return ReadBytes("/proc/" + std::to_string(pid) + "/maps"); }

  std::string Out() const { return ReadBytes(folder.File("stdout")); }
  std::string Err() const { return ReadBytes(folder.File("stderr")); }

  TempFolder folder;
  std::string program;
};

TEST_F(HelvantaProcessTest, ServiceReportsReadyAfterItsStartLoadsNoQtAndStopsOnSigterm) {
  PtyPair pty;
  WriteSettings(pty.SlavePath());
  NotifySocket notify(folder.File("notify"));
  const pid_t pid = Start({"-service"}, {"NOTIFY_SOCKET=" + folder.File("notify")});

  EXPECT_EQ(notify.Next(), "READY=1");
  // Ready comes after the start event, which follows the opening of the port.
  EXPECT_NE(Err().find("Service started.\nConnected to Siemens SPN1000."), std::string::npos) << Err();
  const std::string maps = Maps(pid);
  EXPECT_NE(maps.find("libstdc++"), std::string::npos) << maps;
  EXPECT_EQ(maps.find("libQt6"), std::string::npos) << maps;

  kill(pid, SIGTERM);
  EXPECT_EQ(notify.Next(), "STOPPING=1");
  // A second stop signal while it stops (a stop and a shutdown at once) must not kill it.
  kill(pid, SIGTERM);
  EXPECT_EQ(Wait(pid), 0);
  EXPECT_NE(Err().find("Service stopped.\nConnection closed."), std::string::npos) << Err();
}

TEST_F(HelvantaProcessTest, AServiceWithoutItsPortSaysSoOnceAndKeepsTrying) {
  WriteSettings(folder.File("no-such-tty"));
  NotifySocket notify(folder.File("notify"));
  const pid_t pid = Start({"/Service"}, {"NOTIFY_SOCKET=" + folder.File("notify")});
  // Running, so systemd does not restart it into a flood of start failures.
  EXPECT_EQ(notify.Next(), "READY=1");
  EXPECT_NE(Err().find("Error: No connection to the inverter: Unable to open com port (" + folder.File("no-such-tty") +
                       ": No such file or directory, error 2)\nTrying again."),
            std::string::npos)
      << Err();
  EXPECT_EQ(Err().find("Service started."), std::string::npos) << Err();
  kill(pid, SIGTERM);
  EXPECT_EQ(notify.Next(), "STOPPING=1");
  EXPECT_EQ(Wait(pid), 0);
}

TEST_F(HelvantaProcessTest, InstallAndUninstallReportAndEndWithTheirCodes) {
  std::filesystem::create_directory(folder.File("units"));
  // Stand-ins for the system commands, each noting its name and arguments.
  std::vector<std::string> place{"HELVANTA_UNIT_DIR=" + folder.File("units")};
  for (const std::string variable : {"HELVANTA_USERADD", "HELVANTA_USERMOD", "HELVANTA_CHOWN", "HELVANTA_SYSTEMCTL"}) {
    const std::string name = variable.substr(std::string("HELVANTA_").size());
    folder.WriteFile(name, "#!/bin/sh\necho \"$0 $*\" >> '" + folder.File("calls") + "'\n");
    chmod(folder.File(name).c_str(), 0755);
    place.push_back(variable + "=" + folder.File(name));
  }
  const std::string unit = folder.File("units/HelvantaService.service");

  // -install wins over -uninstall; -silent keeps success quiet. Without Helvanta.ini the
  // output folder is the default one beside the program.
  EXPECT_EQ(Run({"-service", "-uninstall", "-install", "-silent"}, place), 0);
  EXPECT_EQ(Out(), "");
  EXPECT_TRUE(std::filesystem::exists(unit));
  EXPECT_NE(ReadBytes(unit).find("ExecStart=\"" + program + "\" -service\n"), std::string::npos);
  EXPECT_NE(ReadBytes(unit).find("\nReadWritePaths=\"-" + folder.File("Data") + "\"\n"), std::string::npos)
      << ReadBytes(unit);
  const std::string calls = ReadBytes(folder.File("calls"));
  EXPECT_NE(calls.find("\n" + folder.File("CHOWN") + " helvanta: " + folder.File("Data") + "\n"), std::string::npos)
      << calls;

  EXPECT_EQ(Run({"-service", "-uninstall"}, place), 0);
  EXPECT_EQ(Out(), "Service uninstalled successfully\n");
  EXPECT_FALSE(std::filesystem::exists(unit));

  // Failure is printed with its reason even with -silent, and the exit code says so.
  EXPECT_EQ(Run({"-service", "-uninstall", "-silent"}, place), 1);
  EXPECT_NE(Err().find("HelvantaService: the service is not installed"), std::string::npos) << Err();
  std::vector<std::string> noSystemctl = place;
  noSystemctl.back() = "HELVANTA_SYSTEMCTL=" + folder.File("no-systemctl");
  EXPECT_EQ(Run({"-service", "-install"}, noSystemctl), 1);
  EXPECT_NE(Err().find("could not run " + folder.File("no-systemctl")), std::string::npos) << Err();
  EXPECT_EQ(Run({"-service", "-install"}, place), 0);
  EXPECT_EQ(Out(), "Service installed successfully\n");
}

// The environment of Start names no display.
TEST_F(HelvantaProcessTest, HelpAndVersionAnswerOnStandardOutputWithoutADisplay) {
  const struct {
    std::vector<std::string> arguments;
    std::string begin;
  } cases[] = {{{"--help"}, "Usage:\n"},
               {{"-service", "-h"}, "Usage:\n"},
               {{"--version"}, "Helvanta 1.2 for Siemens SPN1000\nbuild "}};
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.arguments), 0) << c.arguments.back();
    EXPECT_EQ(Out().find(c.begin), 0u) << Out();
    EXPECT_EQ(Err(), "");
  }
  // The usage names the folder the program reads its files from.
  EXPECT_EQ(Run({"-h"}), 0);
  EXPECT_NE(Out().find("Files beside the executable, in " + folder.Path() + ":\n"), std::string::npos) << Out();
}

TEST_F(HelvantaProcessTest, WindowModeWithoutADisplayNamesUnknownSwitchesAndEndsWithOneLine) {
  EXPECT_EQ(Run({"--frobnicate", "--connect", "-install", "--screenshots=" + folder.File("pictures")}), 1);
#ifdef HELVANTA_TEST_HAVE_WINDOW
  const std::string last =
      "helvanta: cannot open the window: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); start it with "
      "-service to run without one.\n";
#else
  const std::string last = "Helvanta 1.2 for Siemens SPN1000: this build has no window; start it with -service.\n";
#endif
  EXPECT_EQ(Err(), "helvanta: unknown switch \"--frobnicate\" ignored (see helvanta --help)\n" + last);
  EXPECT_EQ(Out(), "");
}

#ifdef HELVANTA_TEST_HAVE_WINDOW
TEST_F(HelvantaProcessTest, TheWindowClosesOnSigtermAndCtrlCAsFileExitDoes) {
  for (const int signal : {SIGTERM, SIGINT}) {
    PtyPair pty;
    WriteSettings(pty.SlavePath());
    const pid_t pid = Start({"--connect"}, {"QT_QPA_PLATFORM=offscreen"});
    // The first request shows the window running and connected.
    EXPECT_FALSE(pty.Receive(1, std::chrono::milliseconds(10000)).empty()) << Err();
    // helvanta has become helvanta-window in the same process.
    EXPECT_NE(Maps(pid).find("libQt6Widgets"), std::string::npos);

    kill(pid, signal);
    EXPECT_EQ(Wait(pid), 0) << signal;
    // Closing saved the placement.
    EXPECT_NE(ReadBytes(folder.File("Helvanta.ini")).find("[Window]"), std::string::npos) << signal;
  }
}
#endif

}  // namespace
}  // namespace helvanta::testing
