#include <cstdio>
#include <string>

#include "app/startup.hpp"
#include "app/window_error.hpp"

namespace helvanta {

void ReportWindowError(const std::exception_ptr& error) {
  std::string message = "Unknown error";
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
  }
  std::fprintf(stderr, "%s: %s\n", kApplicationTitleText, message.c_str());
}

}  // namespace helvanta
