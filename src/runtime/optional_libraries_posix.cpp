#include "runtime/optional_libraries.hpp"

namespace helvanta {

// The sonames of the ABI the program was built against.
const char* const kMosquittoLibraryFile = "libmosquitto.so.1";
const char* const kMicrohttpdLibraryFile = "libmicrohttpd.so.12";
const char* const kCurlLibraryFile = "libcurl.so.4";

}  // namespace helvanta
