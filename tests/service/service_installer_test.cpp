#include "service/service_installer.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "runtime/program_folder.hpp"
#include "service/temp_folder.hpp"

namespace helvanta::testing {
namespace {

class ServiceInstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(folder.Path("units"));
    UseSystemctlExitCode(0);
    place = {folder.Path("units"), folder.Path("systemctl")};
    settings = {ExecutablePath(), "/opt/helvanta/", "/var/lib/helvanta/Data"};
  }

  // A stand-in for systemctl that notes its arguments and ends with the given code.
  void UseSystemctlExitCode(int code) {
    folder.WriteFile("systemctl", "#!/bin/sh\necho \"$@\" >> '" + folder.Path("calls") + "'\nexit " +
                                      std::to_string(code) + "\n");
    chmod(folder.Path("systemctl").c_str(), 0755);
  }

  std::string Calls() const { return TempFolder::ReadFile(folder.Path("calls")); }

  TempFolder folder;
  TServiceInstallPlace place;
  TServiceUnitSettings settings;
};

TEST_F(ServiceInstallerTest, InstallWritesAndEnablesTheUnitAndUninstallTakesItAway) {
  const auto installed = InstallService(place, settings);
  EXPECT_TRUE(installed.ok) << installed.message;
  EXPECT_EQ(installed.message, "Service installed successfully");
  const std::string unitPath = folder.Path("units/HelvantaService.service");
  const std::string unit = TempFolder::ReadFile(unitPath);
  EXPECT_EQ(unit, ServiceUnitText(settings));
  EXPECT_EQ(Calls(), "daemon-reload\nenable HelvantaService.service\n");

  const auto uninstalled = UninstallService(place);
  EXPECT_TRUE(uninstalled.ok) << uninstalled.message;
  EXPECT_EQ(uninstalled.message, "Service uninstalled successfully");
  EXPECT_FALSE(std::filesystem::exists(unitPath));
  EXPECT_EQ(Calls(), "daemon-reload\nenable HelvantaService.service\ndisable HelvantaService.service\ndaemon-reload\n");

  // Nothing left to remove.
  const auto again = UninstallService(place);
  EXPECT_FALSE(again.ok);
  EXPECT_NE(again.message.find("not installed"), std::string::npos) << again.message;
}

TEST_F(ServiceInstallerTest, TheUnitRunsTheServiceSwitchUnderSystemdWithAReadOnlySystem) {
  const std::string unit = ServiceUnitText(settings);
  EXPECT_NE(unit.find("\nType=notify\n"), std::string::npos);
  EXPECT_NE(unit.find("\nExecStart=\"" + settings.executable + "\" -service\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("\nRestart=on-failure\n"), std::string::npos);
  EXPECT_NE(unit.find("\nProtectSystem=strict\n"), std::string::npos);
  EXPECT_NE(unit.find("\nReadWritePaths=\"-/opt/helvanta\" \"-/var/lib/helvanta/Data\"\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("\nWantedBy=multi-user.target\n"), std::string::npos);
  // The serial devices must stay reachable.
  EXPECT_EQ(unit.find("PrivateDevices"), std::string::npos);
  EXPECT_EQ(unit.find("DevicePolicy"), std::string::npos);

  // Spaces, quotes and '%' survive systemd's reading of the words; a relative output
  // folder cannot be opened up and is left out.
  const std::string odd =
      ServiceUnitText({"/opt/my \"helvanta\"/100%/helvanta", "/opt/my \"helvanta\"/100%/", "Data"});
  EXPECT_NE(odd.find("\nExecStart=\"/opt/my \\\"helvanta\\\"/100%%/helvanta\" -service\n"), std::string::npos) << odd;
  EXPECT_NE(odd.find("\nReadWritePaths=\"-/opt/my \\\"helvanta\\\"/100%%\"\n"), std::string::npos) << odd;
}

TEST_F(ServiceInstallerTest, SystemdAcceptsTheUnit) {
  if (access("/usr/bin/systemd-analyze", X_OK) != 0 && access("/bin/systemd-analyze", X_OK) != 0) {
    GTEST_SKIP() << "systemd-analyze is not installed";
  }
  TServiceUnitSettings real{ExecutablePath(), folder.Folder(), folder.Path("Data")};
  folder.WriteFile("HelvantaService.service", ServiceUnitText(real));
  const std::string command = "systemd-analyze verify '" + folder.Path("HelvantaService.service") + "' > '" +
                              folder.Path("verify.txt") + "' 2>&1";
  const int status = std::system(command.c_str());
  const std::string output = TempFolder::ReadFile(folder.Path("verify.txt"));
  EXPECT_EQ(status, 0) << output;
  EXPECT_EQ(output.find("HelvantaService.service:"), std::string::npos) << output;
}

TEST_F(ServiceInstallerTest, FailuresNameTheirReason) {
  // systemctl fails.
  UseSystemctlExitCode(3);
  auto result = InstallService(place, settings);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("HelvantaService: "), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("daemon-reload failed with exit code 3"), std::string::npos) << result.message;
  result = UninstallService(place);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("disable HelvantaService.service failed with exit code 3"), std::string::npos)
      << result.message;
  EXPECT_TRUE(std::filesystem::exists(folder.Path("units/HelvantaService.service")));

  // systemctl is missing.
  place.systemctl = folder.Path("no-systemctl");
  result = InstallService(place, settings);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("could not run " + place.systemctl + ": No such file or directory"), std::string::npos)
      << result.message;

  // The unit folder cannot be written.
  place = {folder.Path("no such folder"), folder.Path("systemctl")};
  result = InstallService(place, settings);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("could not write " + folder.Path("no such folder/HelvantaService.service")),
            std::string::npos)
      << result.message;
}

TEST_F(ServiceInstallerTest, PlaceComesFromTheEnvironmentForTests) {
  setenv("HELVANTA_UNIT_DIR", "/tmp/units-here", 1);
  setenv("HELVANTA_SYSTEMCTL", "/tmp/fake-systemctl", 1);
  auto fromEnv = DefaultInstallPlace();
  EXPECT_EQ(fromEnv.unitFolder, "/tmp/units-here");
  EXPECT_EQ(fromEnv.systemctl, "/tmp/fake-systemctl");
  unsetenv("HELVANTA_UNIT_DIR");
  unsetenv("HELVANTA_SYSTEMCTL");
  fromEnv = DefaultInstallPlace();
  EXPECT_EQ(fromEnv.unitFolder, "/etc/systemd/system");
  EXPECT_EQ(fromEnv.systemctl, "systemctl");
}

}  // namespace
}  // namespace helvanta::testing
