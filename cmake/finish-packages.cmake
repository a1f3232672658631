# Run by CPack once it has made its packages (CPACK_PACKAGE_FILES, still in
# its staging folder; CPack copies them into CPACK_PACKAGE_DIRECTORY next).
# Each zip is made reproducible, and SHA256SUMS in the packages folder is
# written anew for every package of this version there, those just made and
# those that other builds put there before, whichever tool made them.

# CPack dates a zip's members but keeps the order in which it found them
# and the builder's user and group ids: strip-nondeterminism sorts them,
# clears the ids and dates everything by SOURCE_DATE_EPOCH.
function(normalize_zip zip)
  if(NOT CPACK_VANTREL_STRIP_NONDETERMINISM)
    message(FATAL_ERROR "strip-nondeterminism was not found (Debian package strip-nondeterminism): "
                        "${zip} would not be reproducible")
  endif()
  execute_process(COMMAND ${CPACK_VANTREL_STRIP_NONDETERMINISM} --type zip
                          --timestamp $ENV{SOURCE_DATE_EPOCH} ${zip}
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()

set(packages ${CPACK_PACKAGE_FILES})
set(made_names)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name ${package} NAME)
  list(APPEND made_names ${name})
endforeach()
# vantrel_1.0.0_amd64.deb, vantrel-1.0.0-win32.zip and the like.
file(GLOB earlier LIST_DIRECTORIES false
     "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_NAME}[-_]${CPACK_PACKAGE_VERSION}[-_]*.deb"
     "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_NAME}[-_]${CPACK_PACKAGE_VERSION}[-_]*.zip")
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
  if(package MATCHES "[.]zip$")
    normalize_zip(${package})
  endif()
  get_filename_component(name ${package} NAME)
  file(SHA256 ${package} hash)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${sums}")
