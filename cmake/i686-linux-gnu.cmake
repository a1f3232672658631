# 32-bit x86 Linux (package g++-i686-linux-gnu), run under qemu-i386: the
# tool's 32-bit x86 code tested on hosts whose kernel refuses 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VANTREL_TRIPLE i686-linux-gnu)
set(VANTREL_QEMU qemu-i386)
set(VANTREL_DEBIAN_ARCH i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
