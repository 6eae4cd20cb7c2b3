#pragma once

namespace helvanta {

// The build that --version names, written by build_info.cmake at every build.
extern const char kBuildCommit[];   // the commit built, or "unknown" outside a git checkout
extern const char kBuildType[];     // CMake's build type, empty when none was chosen
extern const bool kBuildHasWindow;  // false for a build without Qt (service only)

}  // namespace helvanta
