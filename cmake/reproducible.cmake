# Builds of one commit give the same bytes, wherever and whenever they are
# made, so that anyone can check a package against the source.

# No path of the machine that built it in any binary.
if(NOT MSVC)
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                      -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
endif()

# The date of the latest entry of a Debian changelog, "Tue, 08 Dec 2026
# 12:00:00 +0000", as seconds since 1970 (dpkg takes the same one).
function(vantrel_changelog_epoch changelog out_var)
  file(STRINGS ${changelog} trailers REGEX "^ -- ")
  list(GET trailers 0 latest)
  set(time_regex ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ([0-9]+):([0-9]+):([0-9]+) ([-+])([0-9][0-9])([0-9][0-9])$")
  if(NOT latest MATCHES "${time_regex}")
    message(FATAL_ERROR "${changelog}: no date in its latest entry: ${latest}")
  endif()
  set(day ${CMAKE_MATCH_1})
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months ${CMAKE_MATCH_2} month)
  set(year ${CMAKE_MATCH_3})
  math(EXPR seconds "${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}")
  math(EXPR offset "${CMAKE_MATCH_7}(${CMAKE_MATCH_8} * 3600 + ${CMAKE_MATCH_9} * 60)")
  # Days since 1970-01-01, counting years from March so that the leap day
  # ends a year.
  if(month LESS 2)
    math(EXPR year "${year} - 1")
  endif()
  math(EXPR days "365 * ${year} + ${year} / 4 - ${year} / 100 + ${year} / 400
                  + (153 * ((${month} + 10) % 12) + 2) / 5 + ${day} - 1 - 719468")
  math(EXPR epoch "${days} * 86400 + ${seconds} - ${offset}")
  set(${out_var} ${epoch} PARENT_SCOPE)
endfunction()

# The dates in the packages: the caller's SOURCE_DATE_EPOCH; else the time
# of the commit checked out; else, outside a git checkout (a source
# tarball), the date of the latest changelog entry.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VANTREL_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
  set(epoch_origin "the environment")
else()
  find_package(Git QUIET)
  if(GIT_FOUND)
    # Only a checkout of this project counts, not a repository around it.
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE git_top OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  file(REAL_PATH "${PROJECT_SOURCE_DIR}" source_dir)
  if(GIT_FOUND AND git_top)
    file(REAL_PATH "${git_top}" git_top)
  endif()
  if(git_top AND git_top STREQUAL source_dir)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE VANTREL_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
      COMMAND_ERROR_IS_FATAL ANY)
    set(epoch_origin "the commit")
  else()
    vantrel_changelog_epoch(${PROJECT_SOURCE_DIR}/packaging/changelog VANTREL_SOURCE_DATE_EPOCH)
    set(epoch_origin "packaging/changelog")
  endif()
endif()
if(NOT VANTREL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: ${VANTREL_SOURCE_DATE_EPOCH}")
endif()
message(STATUS "Dates in the packages: SOURCE_DATE_EPOCH=${VANTREL_SOURCE_DATE_EPOCH}, from ${epoch_origin}")
