# WebAssembly with the WASI system interface: Debian's clang and lld with
# wasi-libc, libc++ and the compiler runtime built for wasm32 (packages
# wasi-libc, libc++-14-dev-wasm32, libclang-rt-14-dev-wasm32, lld). The
# commands run under Node.js's WASI through tools/wasi-run.
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_VERSION 1)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
# CMake has no platform file for WASI of its own; ours is in Platform/.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})

set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# Debian installs the wasm32 libraries and headers under /usr by triple.
set(CMAKE_SYSROOT /usr)
set(CMAKE_LINKER wasm-ld-14)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wasi-run)
