# Big-endian 64-bit Linux (package g++-s390x-linux-gnu), run under qemu-s390x.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VANTREL_TRIPLE s390x-linux-gnu)
set(VANTREL_QEMU qemu-s390x)
set(VANTREL_DEBIAN_ARCH s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
