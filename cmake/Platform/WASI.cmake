# A WASI command is one WebAssembly module, named .wasm; libraries are
# archives of modules as on Unix.
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
set(CMAKE_STATIC_LIBRARY_PREFIX lib)
set(CMAKE_STATIC_LIBRARY_SUFFIX .a)
