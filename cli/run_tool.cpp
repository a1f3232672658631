#include "cli/run_tool.hpp"

#include <cstdio>

#include "cli/scan_address.hpp"
#include "listing/list_checksums.hpp"

namespace vantrel {
namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;

// No run is reported as a success when standard output did not take all of
// it, the final flush included.
int finish(int status)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
        return EXIT_FAILED;
    return status;
}

void report(const char* what, const native_char* name)
{
    std::fputs(what, stdout);
    write_name(name, stdout);
    std::fputc('\n', stdout);
}

// The listing hands standard output its text a chunk at a time, so a stream
// buffer only adds a copy: glibc fills its buffer with the first bytes of a
// large write, and writes them apart from the rest. Windows keeps its
// buffer, through which the runtime turns LF into CR LF.
void unbuffer_listing_output()
{
#ifndef _WIN32
    std::setvbuf(stdout, nullptr, _IONBF, 0);
#endif
}

} // namespace

int run_tool(int argc, const native_char* const argv[])
{
    if (argc < 3) {
        std::fputs("usage: vantrel start-address file-name\n", stdout);
        return finish(EXIT_FAILED);
    }
    const std::uint32_t start_address = scan_address(argv[1]);
    const native_char* name = argv[2];
    std::FILE* file = open_input(name);
    if (file == nullptr) {
        report("cannot open ", name);
        return finish(EXIT_FAILED);
    }
    unbuffer_listing_output();
    const listing_status status = list_checksums(file, start_address, stdout);
    std::fclose(file);
    if (status == listing_status::read_failed)
        report("cannot read ", name);
    return finish(status == listing_status::complete ? EXIT_OK : EXIT_FAILED);
}

} // namespace vantrel
