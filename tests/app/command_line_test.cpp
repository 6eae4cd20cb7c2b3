#include "app/command_line.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/startup.hpp"
#include "serial/ecomport.hpp"

namespace helvanta {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, ServiceSwitchTakesDashOrSlashInAnyCaseAnywhere) {
  for (const Args& args : {Args{"-service"}, Args{"/service"}, Args{"-SERVICE"}, Args{"/Service"},
                           Args{"foo", "bar", "-sErViCe"}, Args{"-install", "-service"}}) {
    EXPECT_TRUE(ServiceModeRequested(args)) << args.back();
  }
  for (const Args& args : {Args{}, Args{"service"}, Args{"--service"}, Args{"-services"}, Args{"-"}, Args{""},
                           Args{"-install"}, Args{"-serv"}, Args{"\\service"}}) {
    EXPECT_FALSE(ServiceModeRequested(args)) << (args.empty() ? "(none)" : args.front());
  }
}

TEST(CommandLine, InstallIsTestedBeforeUninstallAndSilentCountsWithEither) {
  auto s = ServiceSwitches({"-service", "/UNINSTALL", "-Install", "-silent"});
  EXPECT_TRUE(s.install);
  EXPECT_FALSE(s.uninstall);
  EXPECT_TRUE(s.silent);
  s = ServiceSwitches({"/uninstall", "-service"});
  EXPECT_FALSE(s.install);
  EXPECT_TRUE(s.uninstall);
  EXPECT_FALSE(s.silent);
  s = ServiceSwitches({"-service", "install", "--silent"});
  EXPECT_FALSE(s.install);
  EXPECT_FALSE(s.uninstall);
  EXPECT_FALSE(s.silent);
}

TEST(CommandLine, HelpAndVersionMatchExactlyAndUnknownSwitchesAreNamed) {
  EXPECT_EQ(InfoRequested({"-service", "--help"}), TInfoRequest::help);
  EXPECT_EQ(InfoRequested({"-h", "--version"}), TInfoRequest::help);
  EXPECT_EQ(InfoRequested({"x", "--version", "-h"}), TInfoRequest::version);
  for (const Args& args : {Args{"--HELP"}, Args{"/h"}, Args{"-help"}, Args{"help"}, Args{"/version"}, Args{}}) {
    EXPECT_EQ(InfoRequested(args), TInfoRequest::none) << (args.empty() ? "(none)" : args.front());
  }

  EXPECT_EQ(UnknownSwitches({"-service", "/INSTALL", "-Uninstall", "/silent", "--help", "-h", "--version", "--connect",
                             "--screenshots=docs", "service", "plain", ""}),
            Args{});
  const Args unknown{"--service", "-", "/tmp/x", "--connect=1", "--screenshots", "-H", "-services", "--Version"};
  EXPECT_EQ(UnknownSwitches(unknown), unknown);
}

// Hosts that note which one ran and may raise.
struct FakeHosts {
  std::string ran;
  TServiceSwitches switches;
  int serviceResult = 0;
  bool raise = false;
  std::string windowReport;

  TProgramHosts Hosts() {
    TProgramHosts hosts;
    hosts.runWindow = [this] {
      ran = "window";
      if (raise) throw std::runtime_error("window broke");
      return 0;
    };
    hosts.runService = [this](const TServiceSwitches& s) {
      ran = "service";
      switches = s;
      if (raise) throw EComPort(kCeOpen, 2);
      return serviceResult;
    };
    hosts.reportWindowError = [this](const std::exception_ptr& error) {
      try {
        std::rethrow_exception(error);
      } catch (const std::exception& e) {
        windowReport = e.what();
      }
    };
    return hosts;
  }
};

TEST(Startup, TheModeComesFromTheCommandLineAndEscapedExceptionsAreReported) {
  FakeHosts fake;
  EXPECT_EQ(RunProgram({"-install"}, fake.Hosts()), 0);
  EXPECT_EQ(fake.ran, "window");
  EXPECT_EQ(RunProgram({"x", "/SERVICE", "-uninstall", "-silent"}, fake.Hosts()), 0);
  EXPECT_EQ(fake.ran, "service");
  EXPECT_TRUE(fake.switches.uninstall);
  EXPECT_TRUE(fake.switches.silent);

  // A failed install, uninstall or start keeps its code.
  fake.serviceResult = 1;
  EXPECT_EQ(RunProgram({"-service"}, fake.Hosts()), 1);

  // Escaped exceptions end with 0 after their report.
  fake.raise = true;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram({"-service"}, fake.Hosts()), 0);
  const std::string report = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(report.find("Application Error\n"), 0u) << report;
  EXPECT_NE(report.find("helvanta::EComPort"), std::string::npos) << report;
  EXPECT_NE(report.find(EComPort(kCeOpen, 2).what()), std::string::npos) << report;

  EXPECT_EQ(RunProgram({}, fake.Hosts()), 0);
  EXPECT_EQ(fake.windowReport, "window broke");
}

TEST(Startup, HelpAndVersionRunNoHostAndUnknownSwitchesAreWarnedOf) {
  FakeHosts fake;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(RunProgram({"-service", "--help"}, fake.Hosts()), 0);
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.find("Usage:\n"), 0u) << out;
  // Where the events go is the platform's own log.
#ifdef _WIN32
  EXPECT_NE(out.find("Event Viewer"), std::string::npos) << out;
#else
  EXPECT_NE(out.find("journalctl -t HelvantaService"), std::string::npos) << out;
#endif
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(RunProgram({"--version"}, fake.Hosts()), 0);
  out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.find("Helvanta 1.2 for Siemens SPN1000\nbuild "), 0u) << out;
  EXPECT_EQ(fake.ran, "");

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram({"--service", "-service", "/x"}, fake.Hosts()), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "helvanta: unknown switch \"--service\" ignored (see helvanta --help)\n"
            "helvanta: unknown switch \"/x\" ignored (see helvanta --help)\n");
  EXPECT_EQ(fake.ran, "service");
}

TEST(Startup, ApplicationErrorNamesClassModuleAndMessage) {
  EXPECT_EQ(ApplicationErrorText(std::invalid_argument("bad value"), "helvanta"),
            "Application Error\nException std::invalid_argument in module helvanta.\nbad value");
}

}  // namespace
}  // namespace helvanta
