#pragma once

namespace vantrel {

// One run of the tool with the process's arguments: lists the file named by
// argv[2] from the address in argv[1] on standard output. Returns the exit
// status: 0 after a whole listing, 1 after any failure. `wide_argv`, where
// given, holds the same arguments in UTF-16 (Windows), and the file is opened
// by its wide name; messages always show the narrow one.
int run_tool(int argc, const char* const argv[], const wchar_t* const wide_argv[] = nullptr);

} // namespace vantrel
