#include "cli/run_tool.hpp"

#include <cstdio>
#include <cstdlib>

#include "cli/scan_address.hpp"
#include "listing/list_checksums.hpp"

namespace vantrel {
namespace {

void report(const char* what, const native_char* name, const char* why = "")
{
    std::fputs(what, stdout);
    write_name(name, stdout);
    std::fputs(why, stdout);
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

int list_named_file(int argc, const native_char* const argv[])
{
    if (argc < 3) {
        std::fputs("usage: vantrel start-address file-name\n", stdout);
        return EXIT_FAILURE;
    }
    const std::uint32_t start_address = scan_address(argv[1]);
    const native_char* name = argv[2];
    std::FILE* file = open_input(name);
    if (file == nullptr) {
        report("cannot open ", name);
        return EXIT_FAILURE;
    }
    const file_version opened = version_of(file);
    unbuffer_listing_output();
    const listing_status status = list_checksums(file, start_address, stdout);
    // A listing of no one version of the file is no listing of it.
    const bool changed =
        status == listing_status::complete && changed_since(opened, version_of(file));
    std::fclose(file);
    if (status == listing_status::read_failed)
        report("cannot read ", name);
    else if (changed)
        report("cannot read ", name, ": the file changed while it was listed");
    return status == listing_status::complete && !changed ? EXIT_SUCCESS : EXIT_FAILURE;
}

} // namespace

// Flushed apart from the close: wine's C runtime tells a failed flush from
// fflush but not from fclose.
bool close_output(std::FILE* out)
{
    const bool written = std::fflush(out) == 0 && std::ferror(out) == 0;
    return std::fclose(out) == 0 && written;
}

int run_tool(int argc, const native_char* const argv[])
{
    const int status = list_named_file(argc, argv);
    return close_output(stdout) ? status : EXIT_FAILURE;
}

} // namespace vantrel
