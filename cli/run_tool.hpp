#pragma once

#include <cstdio>

#include "cli/open_input.hpp"

namespace vantrel {

// One run of the tool with the process's arguments: lists the file named by
// argv[2] from the address in argv[1] on standard output. Returns the exit
// status: 0 after a whole listing, 1 after any failure.
int run_tool(int argc, const native_char* const argv[]);

// Closes the stream the run wrote to, and says whether all it was given
// reached the system: some file systems report a failed write only when the
// file is closed. No run that wrote less is reported as a success.
bool close_output(std::FILE* out);

} // namespace vantrel
