# Cross-compiles a 32-bit x86 Windows console program with Debian's
# mingw-w64 (package g++-mingw-w64-i686); tests run under wine when it is
# installed (wine32, with the i386 architecture added). The compiler with
# POSIX threads gives the standard library the std::mutex that GoogleTest uses.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static, so that the executable needs no DLL of the compiler's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(VANTREL_WINE wine)
if(VANTREL_WINE)
  # Wine's own diagnostics would mix with the program's standard error.
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all ${VANTREL_WINE})
endif()
