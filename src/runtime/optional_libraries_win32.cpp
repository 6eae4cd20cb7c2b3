#include "runtime/optional_libraries.hpp"

namespace helvanta {

// The names the libraries' own MinGW builds give their DLLs, shipped beside helvanta.exe.
const char* const kMosquittoLibraryFile = "libmosquitto.dll";
const char* const kMicrohttpdLibraryFile = "libmicrohttpd-12.dll";
const char* const kCurlLibraryFile = "libcurl-4.dll";

}  // namespace helvanta
