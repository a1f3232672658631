# The package build also makes vantrel-VERSION-web.zip, the page and its
# WebAssembly module, from a WASI build of its own, into the same folder.
option(VANTREL_WEB_PACKAGE "Also make the web zip (needs the wasm32 libraries)" OFF)
if(VANTREL_WEB_PACKAGE AND NOT CMAKE_SYSTEM_NAME STREQUAL "WASI")
  include(ExternalProject)
  ExternalProject_Add(wasm32-wasi
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/wasm32-wasi
    CMAKE_ARGS --toolchain ${PROJECT_SOURCE_DIR}/cmake/wasm32-wasi.cmake
               -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
               -DCMAKE_COMPILE_WARNING_AS_ERROR=${CMAKE_COMPILE_WARNING_AS_ERROR}
               -DVANTREL_PACKAGE_DIR=${CPACK_PACKAGE_DIRECTORY}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target web_zip)
endif()
