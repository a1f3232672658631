# 64-bit x86 Windows console program (package g++-mingw-w64-x86-64); tests run
# under wine64 (package wine64), on any x86-64 Linux host.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VANTREL_TRIPLE x86_64-w64-mingw32)
set(VANTREL_WINE_LOADER wine64)
set(VANTREL_WINE_PREPARE wineboot --init)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
