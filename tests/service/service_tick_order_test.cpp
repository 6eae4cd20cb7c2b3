#include <gtest/gtest.h>

#include <string>

#include "link/codec.hpp"
#include "link/measurands.hpp"
#include "support/file_bytes.hpp"
#include "support/main_queue_posix.hpp"
#include "support/service_fixture.hpp"

namespace helvanta::testing {
namespace {

// Real answers, not the pseudo one: each request marks its entry "N/A" until the
// answer comes, so only a logger that runs before the tick's request ever finds all
// 45 values answered.
TEST_F(ServiceTest, WithEveryRequestAnsweredOnTheLineTheMinuteIsLogged) {
  WriteSettings("From=00:00:00\r\nTill=23:59:59\r\nRequestInterval=1\r\nReceivePseudoData=0\r\n");
  folder.WriteFile("Template.csv", "%time%,%1%\r\n");
  clock.Set(At(2026, 12, 7, 12, 0, 14, 5));
  service->ServiceStart();
  // The test makes the ticks itself, each after the answer to the one before.
  service->Timer1.SetEnabled(false);

  for (int second = 15; second <= 59; ++second) {
    clock.Set(At(2026, 12, 7, 12, 0, second, 5));
    service->Timer1Timer();
    ASSERT_EQ(pty.Receive(kTelegramSize).size(), std::size_t{kTelegramSize}) << second;
    const auto entry = static_cast<std::size_t>(service->MeasurandIndex);
    pty.Send(std::string(1, STX) +
             "X00530"
             "0100"
             "XX");
    ASSERT_TRUE(ServeMainQueue([&] { return Measurands[entry].Value != kNotAvailable; })) << entry;
  }
  ASSERT_EQ(service->MeasurandIndex, kMeasurandCount - 1);

  clock.Set(At(2026, 12, 7, 12, 1, 0, 5));
  service->Timer1Timer();
  // 0100 is 256, times 0.1 for the AC voltage.
  EXPECT_EQ(ReadBytes(folder.File("Data/261207.csv")), "    12:01:00,       25.60\r\n");
  // The start event, and the word in the error registers.
  ASSERT_EQ(eventLog.events.size(), 2u);
  EXPECT_EQ(eventLog.events[1].message, "The inverter reports an error: Error specification 0100, Error state 0100.");
  service->ServiceStop();
}

}  // namespace
}  // namespace helvanta::testing
