# 32-bit x86 Windows console program (package g++-mingw-w64-i686); tests run
# under wine's 32-bit loader (package wine32:i386, with the i386 architecture
# added) through tools/wine32, which emulates it with qemu-i386 where the
# kernel refuses 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VANTREL_TRIPLE i686-w64-mingw32)
set(VANTREL_WINE_LOADER ${CMAKE_CURRENT_LIST_DIR}/../tools/wine32)
set(VANTREL_WINE_PREPARE --prepare)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
