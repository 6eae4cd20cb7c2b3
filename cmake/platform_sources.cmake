# Platform code lives in files named for their platform: *_posix.* on Linux, *_win32.*
# on Windows. Each folder names its portable sources and takes its platform files by
# this one pattern, so that a port adds files and touches no list.
if(WIN32)
  set(HELVANTA_PLATFORM win32)
elseif(LINUX)
  set(HELVANTA_PLATFORM posix)
else()
  message(FATAL_ERROR "Helvanta has platform files for Linux (*_posix) and Windows (*_win32) only")
endif()

# The current folder's sources for the platform built for.
function(helvanta_platform_sources out_var)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_${HELVANTA_PLATFORM}.cpp)
  set(${out_var} ${sources} PARENT_SCOPE)
endfunction()
