#include <cstring>

#include "mqtt/mosquitto_errno.hpp"

namespace helvanta {

std::string MosquittoErrnoText(int errnoValue) { return std::strerror(errnoValue); }

}  // namespace helvanta
