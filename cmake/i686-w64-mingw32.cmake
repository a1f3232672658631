# 32-bit x86 Windows console program (package g++-mingw-w64-i686); tests run
# under wine's 32-bit loader (package wine32:i386, with the i386 architecture
# added), which needs a kernel that runs 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VANTREL_TRIPLE i686-w64-mingw32)
set(VANTREL_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
