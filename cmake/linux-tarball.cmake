# vantrel-VERSION-linux-MACHINE.tar.gz: one statically linked program that
# runs on any Linux of its machine, whatever its distribution and C library,
# with the manual page, the license and a short README. Made by a build with
# VANTREL_STATIC=ON, the package build's own for each machine.
option(VANTREL_STATIC "Link the program statically, for the Linux tarball" OFF)
if(NOT VANTREL_STATIC)
  return()
endif()

# g++ 12 links the C library dynamically again after a -static-libstdc++,
# even in a static PIE; a static link takes the C++ runtime's few pieces in
# anyway.
get_target_property(link_options vantrel LINK_OPTIONS)
list(REMOVE_ITEM link_options -static-libstdc++)
set_target_properties(vantrel PROPERTIES LINK_OPTIONS "${link_options}")
# A static PIE, so that the program is still loaded at a random address,
# where the C library has the start-up code for it; else a plain static
# program (Debian's armhf C library has none). Of -pie and -static-pie the
# compiler takes the later, and CMake puts its own -pie after the link
# options: the flag goes at the end of the line, with the libraries.
include(CheckLinkerFlag)
check_linker_flag(CXX -static-pie VANTREL_STATIC_PIE)
if(VANTREL_STATIC_PIE)
  target_link_libraries(vantrel PRIVATE -static-pie)
else()
  target_link_libraries(vantrel PRIVATE -static)
endif()

set(VANTREL_TARBALL_MACHINE ${CMAKE_SYSTEM_PROCESSOR} CACHE STRING
    "The machine that the tarball's name gives, as uname -m says it")
set(VANTREL_PACKAGE_DIR ${PROJECT_BINARY_DIR}/packages CACHE PATH "Where the tarball is made")
set(tarball_top vantrel-${PROJECT_VERSION}-linux-${VANTREL_TARBALL_MACHINE})
add_custom_target(tarball
  COMMAND ${CMAKE_COMMAND} -D STRIP=${CMAKE_STRIP} -D PROGRAM=$<TARGET_FILE:vantrel>
          -D MANUAL=${PROJECT_BINARY_DIR}/vantrel.1 -D LICENSE=${PROJECT_SOURCE_DIR}/LICENSE
          -D README=${PROJECT_SOURCE_DIR}/packaging/README.linux
          -D TOP=${tarball_top} -D STAGING=${PROJECT_BINARY_DIR}/tarball-root
          -D TARBALL=${VANTREL_PACKAGE_DIR}/${tarball_top}.tar.gz
          -D SOURCE_DATE_EPOCH=${VANTREL_SOURCE_DATE_EPOCH}
          -P ${CMAKE_CURRENT_LIST_DIR}/make-tarball.cmake
  DEPENDS vantrel
  COMMENT "Making ${VANTREL_PACKAGE_DIR}/${tarball_top}.tar.gz"
  VERBATIM)
