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
int main(int argc, char* argv[])
{
    return vantrel::run_tool(argc, argv);
}
#endif
