# 64-bit ARM Linux (package g++-aarch64-linux-gnu): arm64 servers and
# Raspberry Pi OS 64-bit; tests run under qemu-aarch64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VANTREL_TRIPLE aarch64-linux-gnu)
set(VANTREL_QEMU qemu-aarch64)
set(VANTREL_DEBIAN_ARCH arm64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
