# 64-bit Windows with Debian's mingw-w64 cross compiler (posix threads). The libraries
# Debian has no mingw build of come from scripts/build-mingw-deps.sh's cache; the tests
# run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(HELVANTA_CROSS_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HELVANTA_CROSS_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HELVANTA_CROSS_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${HELVANTA_CROSS_TRIPLET}-windres)

# The compiler's own folders and the dependency cache, never the host's /usr.
set(HELVANTA_MINGW_DEPS "$ENV{HELVANTA_MINGW_DEPS}" CACHE PATH
    "Folder scripts/build-mingw-deps.sh built the Windows dependencies into")
if(NOT HELVANTA_MINGW_DEPS)
  set(HELVANTA_MINGW_DEPS /var/cache/helvanta-mingw CACHE PATH "" FORCE)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${HELVANTA_CROSS_TRIPLET} ${HELVANTA_MINGW_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# helvanta.exe runs on a bare Windows: the GCC runtime and winpthread are linked in, not
# shipped as DLLs (-static takes winpthread's archive over its import library).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest, and gtest_discover_tests at build time, run the test programs through wine
# (a 64-bit prefix: wine64 alone, without the 32-bit loader).
find_program(HELVANTA_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${HELVANTA_WINE})
