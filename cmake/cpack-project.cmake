# Read by CPack before it makes a package. CPack dates every member of a
# package by SOURCE_DATE_EPOCH: the caller's, or else the one the build was
# configured with.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_VANTREL_SOURCE_DATE_EPOCH})
endif()
