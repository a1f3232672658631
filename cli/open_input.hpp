#pragma once

#include <cstdio>

namespace vantrel {

// Opens the file to list for binary reading, or gives null when it cannot be
// opened or is not a file that can be listed (a directory). On Windows a
// non-null `wide_name` is the same name as the system holds it, in UTF-16,
// and is what gets opened: the narrow name holds only what the code page can
// spell.
std::FILE* open_input(const char* name, const wchar_t* wide_name);

} // namespace vantrel
