#include "cli/run_tool.hpp"

int main(int argc, char* argv[])
{
    return vantrel::run_tool(argc, argv);
}
