#pragma once

#include <string>

namespace helvanta {

// The folder of the running executable with a trailing separator; files such as
// Helvanta.ini live "beside the executable". Tests point it at a folder of their own.
std::string ProgramFolder();
void SetProgramFolder(std::string folder);

// Full path of the running executable.
std::string ExecutablePath();

// The platform's path separator.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace helvanta
