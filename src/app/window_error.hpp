#pragma once

#include <exception>

namespace helvanta {

// Window mode's report of an exception that escaped the window host: the window's
// error box while the window system runs, standard error otherwise.
void ReportWindowError(const std::exception_ptr& error);

}  // namespace helvanta
