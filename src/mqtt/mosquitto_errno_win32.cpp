#include <cstring>

#include "mqtt/mosquitto_errno.hpp"
#include "runtime/wide_text_win32.hpp"

namespace helvanta {

namespace {

// Winsock's codes start here; below are the C library's errno values.
constexpr int kFirstWinsockCode = 10000;

}  // namespace

std::string MosquittoErrnoText(int errnoValue) {
  if (errnoValue >= kFirstWinsockCode) return SystemMessage(static_cast<unsigned long>(errnoValue));
  return std::strerror(errnoValue);
}

}  // namespace helvanta
