#include "service/service_installer.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "runtime/program_folder.hpp"
#include "support/file_bytes.hpp"
#include "support/temp_folder.hpp"

namespace helvanta::testing {
namespace {

class ServiceInstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(folder.File("units"));
    std::filesystem::create_directory(folder.File("Data"));
    for (const char* command : {"systemctl", "useradd", "usermod", "chown"}) UseCommand(command, 0);
    place = {folder.File("units"), folder.File("systemctl"), folder.File("useradd"), folder.File("usermod"),
             folder.File("chown")};
    settings = {ExecutablePath(), "/opt/helvanta/", folder.File("Data")};
  }

  // A stand-in for a system command that notes its name and arguments and ends with the
  // given code.
  void UseCommand(const std::string& name, int exitCode) {
    folder.WriteFile(name, "#!/bin/sh\necho \"" + name + " $*\" >> '" + folder.File("calls") + "'\necho 'said by " +
                               name + "'\nexit " + std::to_string(exitCode) + "\n");
    chmod(folder.File(name).c_str(), 0755);
  }

  std::string Calls() const { return ReadBytes(folder.File("calls")); }

  // Runs a shell command; its exit status and what it printed.
  std::pair<int, std::string> Shell(const std::string& command) const {
    const int status = std::system((command + " > '" + folder.File("output.txt") + "' 2>&1").c_str());
    return {status, ReadBytes(folder.File("output.txt"))};
  }

  TempFolder folder;
  TServiceInstallPlace place;
  TServiceUnitSettings settings;
};

TEST_F(ServiceInstallerTest, InstallCreatesTheUserGivesItTheLogsAndEnablesTheUnitAndUninstallStopsIt) {
  // Only the daily logs go to the service user; a link named like one is not followed.
  folder.WriteFile("Data/240101.csv", "x");
  folder.WriteFile("Data/240102.csv", "x");
  folder.WriteFile("Data/notes.txt", "x");
  std::filesystem::create_symlink("/etc/passwd", folder.File("Data/240103.csv"));

  const auto installed = InstallService(place, settings);
  EXPECT_TRUE(installed.ok) << installed.message;
  EXPECT_EQ(installed.message, "Service installed successfully");
  const std::string unitPath = folder.File("units/HelvantaService.service");
  EXPECT_EQ(ReadBytes(unitPath), ServiceUnitText(settings));
  const std::string data = folder.File("Data");
  const std::string logs = data + " " + data + "/240101.csv " + data + "/240102.csv";
  std::string installCalls = "useradd --system --no-create-home --shell /usr/sbin/nologin --groups dialout helvanta\n";
  installCalls += "chown helvanta: " + logs + "\n";
  installCalls += "systemctl daemon-reload\nsystemctl enable HelvantaService.service\n";
  installCalls += "systemctl try-restart HelvantaService.service\n";
  EXPECT_EQ(Calls(), installCalls);

  const auto uninstalled = UninstallService(place);
  EXPECT_TRUE(uninstalled.ok) << uninstalled.message;
  EXPECT_EQ(uninstalled.message, "Service uninstalled successfully");
  EXPECT_FALSE(std::filesystem::exists(unitPath));
  EXPECT_EQ(Calls(), installCalls + "systemctl disable --now HelvantaService.service\nsystemctl daemon-reload\n");

  // Nothing left to remove.
  const auto again = UninstallService(place);
  EXPECT_FALSE(again.ok);
  EXPECT_NE(again.message.find("not installed"), std::string::npos) << again.message;

  // A user that exists already is only put into dialout.
  std::filesystem::remove(folder.File("calls"));
  UseCommand("useradd", 9);
  EXPECT_TRUE(InstallService(place, settings).ok);
  EXPECT_NE(Calls().find("\nusermod --append --groups dialout helvanta\nchown "), std::string::npos) << Calls();
}

TEST_F(ServiceInstallerTest, TheUnitRunsAsItsOwnUserAndMayWriteTheOutputFolderOnly) {
  const std::string unit = ServiceUnitText(settings);
  for (const std::string& line : std::vector<std::string>{
           "Documentation=file:///opt/helvanta/README.md", "After=time-sync.target", "Type=notify",
           "ExecStart=\"" + settings.executable + "\" -service", "User=helvanta", "Restart=on-failure", "RestartSec=60",
           "ProtectSystem=strict", "ReadWritePaths=\"-" + folder.File("Data") + "\"", "WantedBy=multi-user.target"}) {
    EXPECT_NE(unit.find("\n" + line + "\n"), std::string::npos) << line << "\n" << unit;
  }
  EXPECT_EQ(unit.find("/opt/helvanta\""), std::string::npos) << unit;
  // A hot-plugged adapter must stay reachable: no device allow-list, also none implied by
  // ProtectClock= (before systemd 252).
  for (const char* lockout : {"PrivateDevices", "DevicePolicy", "DeviceAllow", "ProtectClock"}) {
    EXPECT_EQ(unit.find(lockout), std::string::npos) << lockout;
  }

  // Spaces, quotes and '%' survive systemd's reading of the words and of the URI.
  const std::string odd =
      ServiceUnitText({"/opt/my \"helvanta\"/100%/helvanta", "/opt/my \"helvanta\"/100%/", "/srv/my logs/"});
  EXPECT_NE(odd.find("\nExecStart=\"/opt/my \\\"helvanta\\\"/100%%/helvanta\" -service\n"), std::string::npos) << odd;
  EXPECT_NE(odd.find("\nReadWritePaths=\"-/srv/my logs\"\n"), std::string::npos) << odd;
  EXPECT_NE(odd.find("\nDocumentation=file:///opt/my%%20%%22helvanta%%22/100%%25/README.md\n"), std::string::npos)
      << odd;
}

TEST_F(ServiceInstallerTest, SystemdAcceptsTheUnitAndRatesItSafe) {
  if (access("/usr/bin/systemd-analyze", X_OK) != 0 && access("/bin/systemd-analyze", X_OK) != 0) {
    GTEST_SKIP() << "systemd-analyze is not installed";
  }
  const std::string unitPath = folder.File("HelvantaService.service");
  // Without MQTT and the web page the service has no network; with them, IP only.
  for (const auto& [network, exposure] : {std::pair{false, 2.0}, {true, 2.5}}) {
    const std::string text = ServiceUnitText({ExecutablePath(), folder.Path(), folder.File("Data"), network});
    EXPECT_EQ(text.find("\nPrivateNetwork=yes\n") != std::string::npos, !network) << text;
    folder.WriteFile("HelvantaService.service", text);
    auto [status, output] = Shell("systemd-analyze verify '" + unitPath + "'");
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.find("HelvantaService.service:"), std::string::npos) << output;

    std::tie(status, output) = Shell("systemd-analyze security --offline=true '" + unitPath + "'");
    std::smatch level;
    ASSERT_TRUE(
        std::regex_search(output, level, std::regex("Overall exposure level for HelvantaService.service: ([0-9.]+)")))
        << output;
    EXPECT_LE(std::stod(level[1]), exposure) << network << output;
  }
}

TEST_F(ServiceInstallerTest, FailuresNameTheirReasonAndUnusableOutputFoldersAreRefusedFirst) {
  // An output folder that is missing, relative, or holds the program folder.
  struct Case {
    std::string outputFolder;
    std::string reason;
  };
  for (const Case& c :
       {Case{folder.File("missing"), "cannot be used: No such file or directory"},
        Case{"Data", "is not an absolute path"}, Case{folder.File("units/../"), "which the service must not write"}}) {
    const auto result = InstallService(place, {ExecutablePath(), folder.File("units/"), c.outputFolder});
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find(c.reason), std::string::npos) << result.message;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.File("calls")));

  // useradd fails: its own words are quoted, nothing else happens.
  UseCommand("useradd", 1);
  auto result = InstallService(place, settings);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("HelvantaService: " + folder.File("useradd") + " --system"), std::string::npos)
      << result.message;
  EXPECT_NE(result.message.find("failed with exit code 1 (said by useradd)"), std::string::npos) << result.message;
  EXPECT_FALSE(std::filesystem::exists(folder.File("units/HelvantaService.service")));
  UseCommand("useradd", 0);

  // systemctl fails.
  UseCommand("systemctl", 3);
  result = InstallService(place, settings);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("daemon-reload failed with exit code 3"), std::string::npos) << result.message;
  result = UninstallService(place);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("disable --now HelvantaService.service failed with exit code 3"), std::string::npos)
      << result.message;
  EXPECT_TRUE(std::filesystem::exists(folder.File("units/HelvantaService.service")));

  // systemctl is missing.
  place.systemctl = folder.File("no-systemctl");
  result = InstallService(place, settings);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("could not run " + place.systemctl + ": No such file or directory"), std::string::npos)
      << result.message;

  // The unit folder cannot be written.
  place.unitFolder = folder.File("no such folder");
  result = InstallService(place, settings);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("could not write " + folder.File("no such folder/HelvantaService.service")),
            std::string::npos)
      << result.message;
}

TEST_F(ServiceInstallerTest, PlaceComesFromTheEnvironmentForTests) {
  const char* names[] = {"HELVANTA_UNIT_DIR", "HELVANTA_SYSTEMCTL", "HELVANTA_USERADD", "HELVANTA_USERMOD",
                         "HELVANTA_CHOWN"};
  for (const char* name : names) setenv(name, (std::string("/tmp/") + name).c_str(), 1);
  auto fromEnv = DefaultInstallPlace();
  EXPECT_EQ(fromEnv.unitFolder, "/tmp/HELVANTA_UNIT_DIR");
  EXPECT_EQ(fromEnv.systemctl, "/tmp/HELVANTA_SYSTEMCTL");
  EXPECT_EQ(fromEnv.useradd, "/tmp/HELVANTA_USERADD");
  EXPECT_EQ(fromEnv.usermod, "/tmp/HELVANTA_USERMOD");
  EXPECT_EQ(fromEnv.chown, "/tmp/HELVANTA_CHOWN");
  for (const char* name : names) unsetenv(name);
  fromEnv = DefaultInstallPlace();
  EXPECT_EQ(fromEnv.unitFolder, "/etc/systemd/system");
  EXPECT_EQ(fromEnv.systemctl, "systemctl");
  EXPECT_EQ(fromEnv.useradd, "/usr/sbin/useradd");
  EXPECT_EQ(fromEnv.usermod, "/usr/sbin/usermod");
  EXPECT_EQ(fromEnv.chown, "chown");
}

}  // namespace
}  // namespace helvanta::testing
