# Writes the page's service worker into the staged page with the files it
# keeps a copy of, and their version: a hash of their names and contents, so
# that a build that changes any of them makes browsers fetch a new copy, and
# the same files always give the same version.
# cmake -DSOURCE=web/sw.js -DDIR=build/wasm/web -DFILES=a,b,... -P stamp-service-worker.cmake
string(REPLACE "," ";" files "${FILES}")
set(hashes "")
foreach(file IN LISTS files)
  file(SHA256 "${DIR}/${file}" hash)
  string(APPEND hashes "${file} ${hash}\n")
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING "${version}" 0 16 version)
file(READ "${SOURCE}" text)
# Replaces the line `placeholder` of the source by `line`.
macro(fill_in placeholder line)
  string(FIND "${text}" "${placeholder}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${SOURCE} has no line ${placeholder}")
  endif()
  string(REPLACE "${placeholder}" "${line}" text "${text}")
endmacro()
fill_in("const VERSION = 'unversioned';" "const VERSION = '${version}';")
list(TRANSFORM files PREPEND "'")
list(TRANSFORM files APPEND "'")
list(JOIN files ", " listed)
fill_in("const FILES = ['./'];" "const FILES = ['./', ${listed}];")
# Written only when it changes, so that an unchanged page is not staged anew.
set(old "")
if(EXISTS "${DIR}/sw.js")
  file(READ "${DIR}/sw.js" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${DIR}/sw.js" "${text}")
endif()
