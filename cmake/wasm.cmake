# The WebAssembly (WASI) build: vantrel.wasm with the plain block routine,
# which every engine runs, and vantrel-simd128.wasm with the SIMD128 one,
# which the page takes where the engine validates it. Both are made of the
# same sources; only the instruction set differs.
add_library(vantrel_listing_simd128 STATIC)
get_target_property(listing_sources vantrel_listing SOURCES)
target_sources(vantrel_listing_simd128 PRIVATE ${listing_sources} listing/format_blocks_simd128.cpp)
target_include_directories(vantrel_listing_simd128 PUBLIC ${PROJECT_SOURCE_DIR})
# Public, so that the tests of the routine are built for SIMD128 too.
target_compile_options(vantrel_listing_simd128 PUBLIC -msimd128)

add_library(vantrel_cli_simd128 STATIC)
get_target_property(cli_sources vantrel_cli SOURCES)
target_sources(vantrel_cli_simd128 PRIVATE ${cli_sources})
target_link_libraries(vantrel_cli_simd128 PUBLIC vantrel_listing_simd128)

add_executable(vantrel_simd128 cli/main.cpp)
set_target_properties(vantrel_simd128 PROPERTIES OUTPUT_NAME vantrel-simd128)
target_link_libraries(vantrel_simd128 PRIVATE vantrel_cli_simd128)
foreach(target IN ITEMS vantrel_listing_simd128 vantrel_cli_simd128 vantrel_simd128)
  target_compile_options(${target} PRIVATE -fno-exceptions)
endforeach()

# The page reads the start address with the tool's own code, which both
# modules export.
foreach(target IN ITEMS vantrel vantrel_simd128)
  target_sources(${target} PRIVATE cli/wasm_exports.cpp)
endforeach()

# The page and both modules, as a static server or the web zip serves them,
# and its service worker, stamped with the version of all the others.
set(VANTREL_WEB_DIR ${PROJECT_BINARY_DIR}/web)
set(web_files index.html style.css main.js tool.js worker.js reader.js wasi.js file-slices.js listing-runs.js
              listing-text.js listing-view.js compare.js comparison-view.js save.js words.js)
list(TRANSFORM web_files PREPEND ${PROJECT_SOURCE_DIR}/web/ OUTPUT_VARIABLE web_sources)
list(APPEND web_files vantrel.wasm vantrel-simd128.wasm)
list(JOIN web_files "," web_file_list)
add_custom_target(web ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTREL_WEB_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${web_sources} $<TARGET_FILE:vantrel>
          $<TARGET_FILE:vantrel_simd128> ${VANTREL_WEB_DIR}
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}/web/sw.js -DDIR=${VANTREL_WEB_DIR}
          -DFILES=${web_file_list} -P ${PROJECT_SOURCE_DIR}/cmake/stamp-service-worker.cmake
  DEPENDS ${web_sources} ${PROJECT_SOURCE_DIR}/web/sw.js
          ${PROJECT_SOURCE_DIR}/cmake/stamp-service-worker.cmake vantrel vantrel_simd128
  COMMENT "The page and its modules in ${VANTREL_WEB_DIR}"
  VERBATIM)

# The block routines timed under Node.js (no Google Benchmark for wasm32):
# tools/wasi-run build/wasm/format_blocks_timing.wasm, and -simd128.wasm.
add_executable(format_blocks_timing EXCLUDE_FROM_ALL bench/format_blocks_timing.cpp)
target_link_libraries(format_blocks_timing PRIVATE vantrel_listing)
add_executable(format_blocks_timing_simd128 EXCLUDE_FROM_ALL bench/format_blocks_timing.cpp)
set_target_properties(format_blocks_timing_simd128 PROPERTIES
  OUTPUT_NAME format_blocks_timing-simd128)
target_link_libraries(format_blocks_timing_simd128 PRIVATE vantrel_listing_simd128)
foreach(target IN ITEMS format_blocks_timing format_blocks_timing_simd128)
  target_compile_options(${target} PRIVATE -fno-exceptions)
endforeach()

# vantrel-VERSION-web.zip: the page and both modules, to serve as they are,
# and the license.
# Its files are stamped with the source's date where SOURCE_DATE_EPOCH gives
# one, which string(TIMESTAMP) takes, and listed in a fixed order.
set(VANTREL_PACKAGE_DIR ${PROJECT_BINARY_DIR}/packages CACHE PATH "Where the web zip is made")
string(TIMESTAMP web_zip_time "%Y-%m-%d %H:%M:%S" UTC)
set(web_zip ${VANTREL_PACKAGE_DIR}/vantrel-${PROJECT_VERSION}-web.zip)
set(web_zip_files ${web_files} sw.js LICENSE)
list(TRANSFORM web_zip_files PREPEND vantrel-${PROJECT_VERSION}-web/)
add_custom_target(web_zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTREL_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -rf zip-root
  COMMAND ${CMAKE_COMMAND} -E make_directory zip-root
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${VANTREL_WEB_DIR} zip-root/vantrel-${PROJECT_VERSION}-web
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE zip-root/vantrel-${PROJECT_VERSION}-web
  COMMAND ${CMAKE_COMMAND} -E chdir zip-root
          ${CMAKE_COMMAND} -E tar cf ${web_zip} --format=zip "--mtime=${web_zip_time} UTC"
          ${web_zip_files}
  DEPENDS web
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
  COMMENT "Making ${web_zip}"
  VERBATIM)
