# Shared by the cross toolchain files: a Debian multiarch target whose libraries live in
# /usr/lib/<triplet> on this machine, not in a separate sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${HELVANTA_CROSS_PROCESSOR})
set(CMAKE_CXX_COMPILER ${HELVANTA_CROSS_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${HELVANTA_CROSS_TRIPLET})

# CMAKE_LIBRARY_ARCHITECTURE points find_package at the target's /usr/lib/<triplet>;
# pkg-config gets the same folder instead of the host's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${HELVANTA_CROSS_TRIPLET}/pkgconfig:/usr/share/pkgconfig)

# ctest, and gtest_discover_tests at build time, run the test programs through qemu-user.
# No -L: the target's own loader from /lib pairs with its multiarch libc, whereas the
# cross toolchain's loader in /usr/<triplet> does not (its threads never start).
find_program(HELVANTA_CROSS_EMULATOR_PATH ${HELVANTA_CROSS_EMULATOR} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${HELVANTA_CROSS_EMULATOR_PATH})
