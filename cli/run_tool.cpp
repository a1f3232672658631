#include "cli/run_tool.hpp"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/scan_address.hpp"
#include "listing/list_checksums.hpp"

namespace vantrel {
namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;

// A directory opens for reading on some systems and then fails every read;
// it is refused here so that it fails alike everywhere.
std::FILE* open_input(const char* name)
{
    std::FILE* file = std::fopen(name, "rb");
    std::error_code error;
    if (file != nullptr && std::filesystem::is_directory(name, error)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

// No run is reported as a success when standard output did not take all of
// it, the final flush included.
int finish(int status)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
        return EXIT_FAILED;
    return status;
}

} // namespace

int run_tool(int argc, const char* const argv[])
{
    if (argc < 3) {
        std::fputs("usage: vantrel start-address file-name\n", stdout);
        return finish(EXIT_FAILED);
    }
    const std::uint32_t start_address = scan_address(argv[1]);
    const char* name = argv[2];
    std::FILE* file = open_input(name);
    if (file == nullptr) {
        std::printf("cannot open %s\n", name);
        return finish(EXIT_FAILED);
    }
    const listing_status status = list_checksums(file, start_address, stdout);
    std::fclose(file);
    if (status == listing_status::read_failed)
        std::printf("cannot read %s\n", name);
    return finish(status == listing_status::complete ? EXIT_OK : EXIT_FAILED);
}

} // namespace vantrel
