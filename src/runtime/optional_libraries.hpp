#pragma once

namespace helvanta {

// The file names under which the platform's loader finds the libraries that only some
// settings load (see SharedLibrary).
extern const char* const kMosquittoLibraryFile;
extern const char* const kMicrohttpdLibraryFile;
extern const char* const kCurlLibraryFile;

}  // namespace helvanta
