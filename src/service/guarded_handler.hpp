#pragma once

#include <exception>
#include <string>

#include "service/event_log.hpp"

namespace helvanta {

// The text of an exception for the event log.
std::string ExceptionMessage(const std::exception_ptr& error);

// Runs a handler of the service; an exception that escapes it becomes an error event
// and the service carries on.
template <typename Handler>
void RunGuarded(TEventLog& eventLog, Handler&& handler) {
  try {
    handler();
  } catch (...) {
    eventLog.Write(TEventType::etError, ExceptionMessage(std::current_exception()));
  }
}

}  // namespace helvanta
