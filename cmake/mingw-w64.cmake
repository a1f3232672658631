# Shared by the Windows toolchain files: a static console program built with
# Debian's mingw-w64 for VANTREL_TRIPLE, its tests run under the wine loader
# VANTREL_WINE_LOADER when that is installed, its prefix first set up by the
# loader's arguments VANTREL_WINE_PREPARE. The compilers with POSIX threads
# give the standard library the std::mutex that GoogleTest uses.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VANTREL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTREL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTREL_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static, so that the executable needs no DLL of the compiler's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# No link time in the header: builds of one commit give the same bytes.
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--no-insert-timestamp")

find_program(VANTREL_WINE ${VANTREL_WINE_LOADER} PATHS /usr/lib/wine)
if(VANTREL_WINE)
  # A prefix of the build's own, so that 32- and 64-bit builds never share
  # one; wine's own diagnostics would mix with the program's standard error.
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix ${VANTREL_WINE})
endif()
