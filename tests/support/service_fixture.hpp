#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "config/settings.hpp"
#include "runtime/clock.hpp"
#include "runtime/main_loop.hpp"
#include "runtime/program_folder.hpp"
#include "serial/port_device.hpp"
#include "service/helvanta_service.hpp"
#include "support/pty_pair_posix.hpp"
#include "support/recording_event_log.hpp"
#include "support/temp_folder.hpp"

namespace helvanta::testing {

inline DateTime At(int year, int month, int day, int hour, int minute, int second, int millisecond = 0) {
  return DateTime{year, month, day, hour, minute, second, millisecond};
}

// A service in a program folder of its own, its port on a pseudo-terminal through the
// Ports section, time from a manual clock, events into a recording sink.
class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramFolder(folder.Path());
    SetProgramClock(&clock);
    SetPortDeviceResolver([](const std::string& name) { return DeviceForPort(name); });
    AppSettings = TAppSettings{};
    std::filesystem::create_directory(folder.File("Data"));
    folder.WriteFile("Template.csv", "Date,Time,Voltage\r\n%date%,%time%,%1%\r\n");
    service = std::make_unique<THelvantaService>(loop, eventLog);
  }

  void TearDown() override {
    service.reset();
    SetPortDeviceResolver({});
    SetProgramClock(nullptr);
    AppSettings = TAppSettings{};
  }

  // Helvanta.ini with the given Data Logging lines and the Ports section for the pty.
  void WriteSettings(const std::string& dataLogging) {
    folder.WriteFile("Helvanta.ini", "[Data Logging]\r\nComPort=COM1\r\nTemplateFile=" + folder.File("Template.csv") +
                                         "\r\nOutputFolder=" + folder.File("Data") + "\r\n" + dataLogging +
                                         // The history's own tests drive it; here it would only add a thread.
                                         "[History]\r\nEnabled=0\r\n"
                                         "[Ports]\r\nCOM1=" +
                                         pty.SlavePath() + "\r\n");
  }

  // One tick at the given time; the pty's bytes are taken so it never fills.
  void TickAt(const DateTime& t) {
    clock.Set(t);
    service->Timer1Timer();
    pty.Drain();
  }

  TempFolder folder;
  PtyPair pty;
  ManualClock clock{At(2026, 12, 7, 3, 0, 0)};
  MainLoop loop;
  RecordingEventLog eventLog;
  std::unique_ptr<THelvantaService> service;
};

}  // namespace helvanta::testing
