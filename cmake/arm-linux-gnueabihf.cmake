# 32-bit ARM Linux with the hardware floating-point ABI (package
# g++-arm-linux-gnueabihf): Debian's armhf, Raspberry Pi OS 32-bit; tests
# run under qemu-arm.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(VANTREL_TRIPLE arm-linux-gnueabihf)
set(VANTREL_QEMU qemu-arm)
set(VANTREL_DEBIAN_ARCH armhf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
