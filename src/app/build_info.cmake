# Writes build_info.cpp for --version: the commit checked out now and the build type.
# Run at every build; the file changes, and its object is rebuilt, only when they do.
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -DBUILD_TYPE=... -DHAS_WINDOW=ON|OFF -P build_info.cmake
set(commit unknown)
find_program(GIT_EXECUTABLE git)
if(GIT_EXECUTABLE)
  # rev-parse only reads the repository; anything that refreshes the index could race
  # with other work in the same checkout.
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=10 HEAD
    OUTPUT_VARIABLE head OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result ERROR_QUIET)
  if(result EQUAL 0 AND head MATCHES "^[0-9a-f]+$")
    set(commit ${head})
  endif()
endif()
if(HAS_WINDOW)
  set(has_window true)
else()
  set(has_window false)
endif()
file(CONFIGURE OUTPUT ${OUTPUT} CONTENT [[
#include "app/build_info.hpp"

namespace helvanta {

const char kBuildCommit[] = "@commit@";
const char kBuildType[] = "@BUILD_TYPE@";
const bool kBuildHasWindow = @has_window@;

}  // namespace helvanta
]] @ONLY)
