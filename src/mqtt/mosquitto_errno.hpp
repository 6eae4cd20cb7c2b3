#pragma once

#include <string>

namespace helvanta {

// The system's reason for the code libmosquitto leaves in errno with MOSQ_ERR_ERRNO.
// What the code means is the platform's (on Windows it is a Winsock code, worded by
// FormatMessage()), so each platform file words it.
std::string MosquittoErrnoText(int errnoValue);

}  // namespace helvanta
