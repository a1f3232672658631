# Run by CPack once it has made its packages (CPACK_PACKAGE_FILES, still in
# its staging folder; CPack copies them into CPACK_PACKAGE_DIRECTORY next).
# Each package is made reproducible, and SHA256SUMS in the packages folder is
# written anew for every package of this version there, those just made and
# those that other builds put there before, whichever tool made them.

# CPack dates every member by SOURCE_DATE_EPOCH but keeps what else the
# builder's machine gave it: in a zip the order in which it found the files
# and the builder's user and group ids, in a .deb (an ar archive) the umask
# in the modes of its three members. strip-nondeterminism sorts the zip,
# clears the ids and sets the modes as dpkg-deb writes them.
function(normalize_package package)
  if(package MATCHES "[.]zip$")
    set(type zip)
  elseif(package MATCHES "[.]deb$")
    set(type ar)
  else()
    # A tarball is made reproducible as it is made.
    return()
  endif()
  if(NOT CPACK_VANTREL_STRIP_NONDETERMINISM)
    message(FATAL_ERROR "strip-nondeterminism was not found (Debian package strip-nondeterminism): "
                        "${package} would not be reproducible")
  endif()
  # Its ar normalizer is one to ask for.
  execute_process(COMMAND ${CPACK_VANTREL_STRIP_NONDETERMINISM} --normalizers=+ar --type ${type}
                          --timestamp $ENV{SOURCE_DATE_EPOCH} ${package}
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()

set(packages ${CPACK_PACKAGE_FILES})
set(made_names)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name ${package} NAME)
  list(APPEND made_names ${name})
endforeach()
# vantrel_1.0.0_amd64.deb, vantrel-1.0.0-win32.zip,
# vantrel-1.0.0-linux-aarch64.tar.gz and the like.
file(GLOB earlier LIST_DIRECTORIES false
     "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_NAME}[-_]${CPACK_PACKAGE_VERSION}[-_]*.deb"
     "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_NAME}[-_]${CPACK_PACKAGE_VERSION}[-_]*.zip"
     "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_NAME}[-_]${CPACK_PACKAGE_VERSION}[-_]*.tar.gz")
foreach(package IN LISTS earlier)
  get_filename_component(name ${package} NAME)
  if(NOT name IN_LIST made_names)
    list(APPEND packages ${package})
  endif()
endforeach()

# SHA256SUMS in the format that `sha256sum -c` reads, sorted by name.
set(entries)
foreach(package IN LISTS packages)
  get_filename_component(name ${package} NAME)
  list(APPEND entries "${name}|${package}")
endforeach()
list(SORT entries)
set(sums "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^[^|]*[|]" "" package "${entry}")
  normalize_package(${package})
  get_filename_component(name ${package} NAME)
  file(SHA256 ${package} hash)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${sums}")
