# The hardening that Debian builds its own packages with (what
# `dpkg-buildflags` gives with hardening=+all): checked variants of the C
# library's functions where the compiler knows the buffer's size, a stack
# protector in functions with arrays on the stack, a read-only relocation
# table bound at start-up, and a position-independent executable. Every
# Linux build gets it, so that the tests run the code as the package ships
# it; the sanitizer builds bring checks of their own and stay without it.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR VANTREL_SANITIZE OR VANTREL_FUZZ)
  return()
endif()

include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
# The checked functions need the optimizer, and the C library warns without
# it; -U first, as some compilers define a level of their own.
add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>"
                    "$<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>")
add_link_options(LINKER:-z,relro LINKER:-z,now)
