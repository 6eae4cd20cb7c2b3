#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "logging/log_record.hpp"
#include "runtime/date_time.hpp"

// The steps of the one-second tick that the window and the service share. Each host
// keeps its own port, framer, timer and MeasurandIndex and calls these in the order
// of its tick; every step takes "now" from the caller, who reads ProgramClock() when
// the step runs.

namespace helvanta {

class TAnswerRouter;
struct ClockStep;
class TComPort;
class TLogMarks;
class TLanguageList;

// Raised when From or Till of the settings is not a time of day, so the tick cannot
// tell whether the port belongs open.
class ETimeOfDay : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Today's connection window: today's date at the From time and at the Till time.
struct ConnectionWindow {
  DateTime start;
  DateTime end;
};

// Builds the window from now's date and the settings' From and Till (read at each
// call, so a changed setting counts at the next tick). Throws ETimeOfDay.
ConnectionWindow ComputeConnectionWindow(const DateTime& now);
ConnectionWindow ComputeConnectionWindow(const DateTime& now, std::string_view from, std::string_view till);

// Open a closed port only in service mode and only strictly inside the window.
bool AutoConnectDue(bool open, const DateTime& now, const ConnectionWindow& window, bool serviceMode);
// Close an open port once now is strictly later than the window end.
bool AutoDisconnectDue(bool open, const DateTime& now, const ConnectionWindow& window);

// The inverter's line: 1200 baud, 8 data bits, even parity generated but not checked,
// 1 stop bit, no flow control, DTR and RTS off. Hosts call it once, at creation.
void ConfigureInverterPort(TComPort& port);

// Sets the port name from the ComPort setting and opens the port (raises EComPort).
void ConnectPort(TComPort& port);

// Result codes of the logger.
inline constexpr int kLogNothingToReport = 0;
inline constexpr int kLogTemplateUnreadable = 1;
inline constexpr int kLogFileNotWritable = 2;

// Runs the daily logger once for the mark that marks finds due and returns what it did.
LogOutcome RunLoggerStep(TLogMarks& marks);

// The message for a logger result: "0007" with TemplateFile, "0008" with the day's
// file, each composed with lineBreak; "" for result 0.
std::string LoggerMessage(const TLanguageList& list, int result, std::string_view lineBreak, const DateTime& now);

// Advances the index and writes the next request telegram to the port unchanged
// (raises EComPort when the write fails; the index has advanced by then).
void SendRequest(TComPort& port, std::int32_t& MeasurandIndex);

// When ReceivePseudoData is set, hands the fixed pseudo answer to the host's packet
// handler as if it had been received; returns whether it did.
bool DeliverPseudoAnswer(const std::function<void(const std::string& packet)>& packetHandler);

// Steps of an open port in order: logger (its outcome goes to onLoggerOutcome), request
// (told to the router, which credits the answers), pseudo answer (decoded for the new
// index at once). A failed write ends them before the pseudo answer.
void RunConnectedSteps(TComPort& port, std::int32_t& MeasurandIndex, TAnswerRouter& router, TLogMarks& marks,
                       const std::function<void(const LogOutcome& outcome)>& onLoggerOutcome);

// Whether a port error means the line is gone (a request could not be written): the
// host closes the port then, instead of failing again every second.
bool IsLostLine(const std::exception& error);

// The information that the wall clock was set (key 4080 with both times).
std::string ClockStepMessage(const TLanguageList& list, const ClockStep& step, std::string_view lineBreak);

// The message for a line that hung up (key 4004 with the port's device).
std::string HangUpMessage(const TLanguageList& list, const TComPort& port, std::string_view lineBreak);

}  // namespace helvanta
