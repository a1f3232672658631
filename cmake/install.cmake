# What `cmake --install` puts where, and the packages CPack makes of it: on
# Windows a folder (a zip) with the program, the README and the license; on
# Linux the usual tree under the prefix and, from it, a Debian package.
if(WIN32)
  install(TARGETS vantrel RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
else()
  include(GNUInstallDirs)
  install(TARGETS vantrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # The manual page carries the package's version, compressed as Debian
  # installs manual pages.
  configure_file(doc/vantrel.1.in vantrel.1 @ONLY)
  set(compressed_files)
  foreach(file IN ITEMS ${PROJECT_BINARY_DIR}/vantrel.1 ${PROJECT_SOURCE_DIR}/packaging/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${name}.gz
      COMMAND gzip -9nc ${file} > ${name}.gz
      DEPENDS ${file} VERBATIM)
    list(APPEND compressed_files ${PROJECT_BINARY_DIR}/${name}.gz)
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${compressed_files})
  install(FILES ${PROJECT_BINARY_DIR}/vantrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
          RENAME vantrel)
  include(${CMAKE_CURRENT_LIST_DIR}/linux-tarball.cmake)
endif()

set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR "The vantrel authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "checksum listing of a file, to check it block by block")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
# The same bytes from every build of a commit: members dated by
# SOURCE_DATE_EPOCH, folders with the same permissions whatever the umask,
# zips normalized and SHA256SUMS written once the packages are made.
set(CPACK_VANTREL_SOURCE_DATE_EPOCH ${VANTREL_SOURCE_DATE_EPOCH})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack-project.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/prepare-packages.cmake)
find_program(CPACK_VANTREL_STRIP_NONDETERMINISM strip-nondeterminism)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/finish-packages.cmake)
if(WIN32)
  # vantrel-VERSION-win32.zip or -win64.zip
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # A cross build's toolchain file names its Debian architecture; dpkg would
  # give the builder's own. dpkg-shlibdeps then takes the versions of the C
  # library from that architecture's libc6 (multiarch, as for any Debian
  # cross build; tools/deps.sh all installs it). A system name of its own
  # gives the package a staging folder of its own, apart from those of the
  # other .debs that the package build makes into the same folder.
  if(CMAKE_CROSSCOMPILING AND VANTREL_DEBIAN_ARCH)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VANTREL_DEBIAN_ARCH})
    set(CPACK_SYSTEM_NAME Linux-${VANTREL_DEBIAN_ARCH})
  endif()
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The vantrel authors <vantrel@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The extended description, under the summary.
  set(CPACK_PACKAGE_DESCRIPTION "vantrel reads a file as raw bytes, cuts it into groups of 8 bytes and
prints a 12-bit checksum of every group, with the group's address folded
in, sixteen to a line: one line for every 128 bytes of the file. Comparing
the listing with a printed one, or two listings with diff, points at the
block and the group where two copies of a file differ.")
endif()
include(CPack)

# The package build also makes other packages, each from a build of its own
# into the same folder. Each is configured with this build's
# SOURCE_DATE_EPOCH, so that all packages carry one date, and configured
# again when a new commit changes it.
set(package_build_args -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
    -DCMAKE_COMPILE_WARNING_AS_ERROR=${CMAKE_COMPILE_WARNING_AS_ERROR})
set(package_build_cmake ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VANTREL_SOURCE_DATE_EPOCH}
    ${CMAKE_COMMAND})
set(package_build_cpack ${CMAKE_CPACK_COMMAND} --config <BINARY_DIR>/CPackConfig.cmake
    -B ${CPACK_PACKAGE_DIRECTORY})

# The two Windows zips, with the mingw-w64 cross compilers.
option(VANTREL_WINDOWS_PACKAGES "Also make the Windows zips (needs mingw-w64)" OFF)
if(VANTREL_WINDOWS_PACKAGES AND NOT WIN32)
  include(ExternalProject)
  foreach(triple IN ITEMS i686-w64-mingw32 x86_64-w64-mingw32)
    ExternalProject_Add(${triple}
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${PROJECT_BINARY_DIR}/${triple}
      CMAKE_COMMAND ${package_build_cmake}
      CMAKE_ARGS --toolchain ${PROJECT_SOURCE_DIR}/cmake/${triple}.cmake ${package_build_args}
      BUILD_ALWAYS ON
      INSTALL_COMMAND ${package_build_cpack})
  endforeach()
endif()

# The arm64 and armhf .debs, with Debian's ARM cross compilers, and the
# static tarballs for any Linux on this machine, arm64 and armhf.
option(VANTREL_LINUX_PACKAGES
       "Also make the ARM .debs and the static Linux tarballs (needs the ARM cross compilers)" OFF)
if(VANTREL_LINUX_PACKAGES AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(toolchain_aarch64 --toolchain ${PROJECT_SOURCE_DIR}/cmake/aarch64-linux-gnu.cmake)
  set(toolchain_armhf --toolchain ${PROJECT_SOURCE_DIR}/cmake/arm-linux-gnueabihf.cmake)
  foreach(machine IN ITEMS aarch64 armhf)
    ExternalProject_Add(deb-${machine}
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${PROJECT_BINARY_DIR}/deb-${machine}
      CMAKE_COMMAND ${package_build_cmake}
      CMAKE_ARGS ${toolchain_${machine}} ${package_build_args}
      BUILD_ALWAYS ON
      INSTALL_COMMAND ${package_build_cpack})
  endforeach()
  set(machines ${CMAKE_SYSTEM_PROCESSOR} aarch64 armhf)
  list(REMOVE_DUPLICATES machines)
  foreach(machine IN LISTS machines)
    ExternalProject_Add(static-${machine}
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${PROJECT_BINARY_DIR}/static-${machine}
      CMAKE_COMMAND ${package_build_cmake}
      CMAKE_ARGS ${toolchain_${machine}} ${package_build_args} -DVANTREL_STATIC=ON
                 -DVANTREL_TARBALL_MACHINE=${machine} -DVANTREL_PACKAGE_DIR=${CPACK_PACKAGE_DIRECTORY}
      BUILD_ALWAYS ON
      INSTALL_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target tarball)
  endforeach()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/web-package.cmake)
