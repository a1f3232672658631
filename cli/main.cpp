#include "cli/run_tool.hpp"

#ifdef _WIN32
// The C runtime's own wide split of the command line, the one every Windows
// C program sees: the count, the start address and the file name all come
// from it, and the name stays as the system holds it, in UTF-16.
int wmain(int argc, wchar_t* argv[])
{
    return vantrel::run_tool(argc, argv);
}
#else
#ifdef __wasi__
#include <cstdlib>

#include <unistd.h>
#endif

int main(int argc, char* argv[])
{
#ifdef __wasi__
    // WASI itself knows no working directory. A runner that shows the
    // host's file system from its root names the host's in PWD, and the tool
    // enters it, so that a relative name means what it means to the native
    // tool; without one (the web page), names are looked up in the
    // directories the runner opened. Where it cannot be entered, a relative
    // name would be looked up from the root and name another file: then the
    // run fails.
    if (const char* directory = std::getenv("PWD"); directory != nullptr && chdir(directory) != 0)
        return EXIT_FAILURE;
#endif
    return vantrel::run_tool(argc, argv);
}
#endif
