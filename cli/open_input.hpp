#pragma once

#include <cstdio>

namespace vantrel {

// An argument as the system hands it over: on Windows in UTF-16, as file
// names are held there (the code page cannot spell every name), elsewhere as
// bytes.
#ifdef _WIN32
using native_char = wchar_t;
#else
using native_char = char;
#endif

// Opens the file to list for binary reading, or gives null when it cannot be
// opened or is not a file that can be listed (a directory).
std::FILE* open_input(const native_char* name);

// Writes a name as messages show it: on Windows spelt in the code page, best
// fit included, as the narrow command line holds it, so that a script that
// reads the message sees the same bytes as from any narrow program.
void write_name(const native_char* name, std::FILE* out);

} // namespace vantrel
