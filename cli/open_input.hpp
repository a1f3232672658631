#pragma once

#include <cstdint>
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

// What an open file is at one moment, to tell whether it changed while it
// was read: whether it is a regular file (not a pipe, a terminal or a
// device), whether the system knows its size (it does not for those under
// /proc and /sys), its size, when its content last changed, and how much of
// it has been read.
struct file_version {
    bool regular;
    bool size_known;
    std::uint64_t size;
    std::int64_t modified;
    std::uint64_t position;
};

file_version version_of(std::FILE* file);

// Whether a regular file, read to its end, changed since `opened`: its size
// or its time of change moved, or what was read is not all of it.
bool changed_since(const file_version& opened, const file_version& now);

// Writes a name as messages show it: on Windows spelt in the code page, best
// fit included, as the narrow command line holds it, so that a script that
// reads the message sees the same bytes as from any narrow program.
void write_name(const native_char* name, std::FILE* out);

} // namespace vantrel
