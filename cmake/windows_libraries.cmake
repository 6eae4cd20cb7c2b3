# Windows has no pkg-config for these: scripts/build-mingw-deps.sh builds them into
# HELVANTA_MINGW_DEPS (the toolchain file's cache folder). The targets and variables take
# the names pkg_check_modules gives them on Linux, so the folders use them alike.
set(HELVANTA_MINGW_DEPS_INCLUDE ${HELVANTA_MINGW_DEPS}/include)
foreach(header sqlite3.h microhttpd.h mosquitto.h curl/curl.h)
  if(NOT EXISTS ${HELVANTA_MINGW_DEPS_INCLUDE}/${header})
    message(FATAL_ERROR "${HELVANTA_MINGW_DEPS_INCLUDE}/${header} is missing: run scripts/build-mingw-deps.sh")
  endif()
endforeach()

# SQLite is linked in.
add_library(PkgConfig::SQLITE3 STATIC IMPORTED)
set_target_properties(PkgConfig::SQLITE3 PROPERTIES
  IMPORTED_LOCATION ${HELVANTA_MINGW_DEPS}/lib/libsqlite3.a
  INTERFACE_INCLUDE_DIRECTORIES ${HELVANTA_MINGW_DEPS_INCLUDE})

# libmicrohttpd, libmosquitto and libcurl are loaded at run time: headers only.
set(MICROHTTPD_INCLUDE_DIRS ${HELVANTA_MINGW_DEPS_INCLUDE})
set(MOSQUITTO_INCLUDE_DIRS ${HELVANTA_MINGW_DEPS_INCLUDE})
set(CURL_INCLUDE_DIRS ${HELVANTA_MINGW_DEPS_INCLUDE})

# The DLLs the program loads, copied beside every executable built, where LoadLibraryW
# looks first. libcurl is not built: PVOutput reports its absence.
set(HELVANTA_RUNTIME_DLLS
  ${HELVANTA_MINGW_DEPS}/bin/libmicrohttpd-12.dll
  ${HELVANTA_MINGW_DEPS}/bin/libmosquitto.dll)

# helvanta_copy_runtime_dlls(<target>): puts the DLLs beside <target>'s executable.
function(helvanta_copy_runtime_dlls target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${HELVANTA_RUNTIME_DLLS} $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
