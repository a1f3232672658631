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
    // WASI has no working directory. A runner that shows the host's file
    // system from its root names the host's working directory in PWD, so
    // that a relative name means what it means to the native tool; without
    // one (the web page), names are looked up in the directories it opened.
    // The directory is the runner's own, which it could enter.
    if (const char* directory = std::getenv("PWD"))
        static_cast<void>(chdir(directory));
#endif
    return vantrel::run_tool(argc, argv);
}
#endif
