# 64-bit ARM Linux (Debian arm64) with Debian's cross compiler and the :arm64 libraries
# installed beside the host's; the tests run through qemu-user (scripts/cross-test.sh).
set(HELVANTA_CROSS_TRIPLET aarch64-linux-gnu)
set(HELVANTA_CROSS_PROCESSOR aarch64)
set(HELVANTA_CROSS_EMULATOR qemu-aarch64-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian_multiarch.cmake)
