# 32-bit ARM Linux with hardware floating point (Debian armhf) with Debian's cross
# compiler and the :armhf libraries installed beside the host's; the tests run through
# qemu-user (scripts/cross-test.sh).
set(HELVANTA_CROSS_TRIPLET arm-linux-gnueabihf)
set(HELVANTA_CROSS_PROCESSOR arm)
set(HELVANTA_CROSS_EMULATOR qemu-arm-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian_multiarch.cmake)
