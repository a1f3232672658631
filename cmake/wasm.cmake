# The WebAssembly (WASI) build: vantrel.wasm, with the plain block routine,
# which every engine runs.

# The page reads the start address with the tool's own code, which the
# module exports.
target_sources(vantrel PRIVATE cli/wasm_exports.cpp)

# The page and its module, as a static server or the web zip serves them,
# and its service worker, stamped with the version of all the others.
set(VANTREL_WEB_DIR ${PROJECT_BINARY_DIR}/web)
set(web_files index.html style.css main.js tool.js worker.js reader.js wasi.js file-slices.js
              listing-runs.js listing-text.js listing-view.js compare.js comparison-view.js save.js
              words.js)
list(TRANSFORM web_files PREPEND ${PROJECT_SOURCE_DIR}/web/ OUTPUT_VARIABLE web_sources)
list(APPEND web_files vantrel.wasm)
list(JOIN web_files "," web_file_list)
add_custom_target(web ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTREL_WEB_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${web_sources} $<TARGET_FILE:vantrel> ${VANTREL_WEB_DIR}
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}/web/sw.js -DDIR=${VANTREL_WEB_DIR}
          -DFILES=${web_file_list} -P ${PROJECT_SOURCE_DIR}/cmake/stamp-service-worker.cmake
  DEPENDS ${web_sources} ${PROJECT_SOURCE_DIR}/web/sw.js
          ${PROJECT_SOURCE_DIR}/cmake/stamp-service-worker.cmake vantrel
  COMMENT "The page and its module in ${VANTREL_WEB_DIR}"
  VERBATIM)

# The block routine timed under Node.js (no Google Benchmark for wasm32):
# tools/wasi-run build/wasm/format_blocks_timing.wasm.
add_executable(format_blocks_timing EXCLUDE_FROM_ALL bench/format_blocks_timing.cpp)
target_link_libraries(format_blocks_timing PRIVATE vantrel_listing)
target_compile_options(format_blocks_timing PRIVATE -fno-exceptions)

# vantrel-VERSION-web.zip: the page and its module, to serve as they are,
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
