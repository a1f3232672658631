#include "cli/run_tool.hpp"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

int main(int argc, char* argv[])
{
#ifdef _WIN32
    // The narrow arguments are in the code page and turn what it cannot
    // spell into '?'; the wide ones are the command line as typed. They are
    // used only when both split it alike.
    int wide_argc = 0;
    const wchar_t* const* wide_argv = CommandLineToArgvW(GetCommandLineW(), &wide_argc);
    return vantrel::run_tool(argc, argv, wide_argc == argc ? wide_argv : nullptr);
#else
    return vantrel::run_tool(argc, argv);
#endif
}
