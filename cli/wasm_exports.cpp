// What the web page asks of the WebAssembly module besides a run of the
// tool: the start address as the tool reads it, so that the page tells the
// address of a group without a second reading of its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "cli/scan_address.hpp"

// Room in the module's memory for the page to put the text in; the instance
// lives for one scan, so nothing is freed.
extern "C" __attribute__((export_name("allocate_text"))) char* allocate_text(std::size_t size)
{
    return static_cast<char*>(std::malloc(size + 1));
}

extern "C" __attribute__((export_name("scan_start_address"))) std::uint32_t
scan_start_address(const char* text, std::size_t size)
{
    return vantrel::scan_address({text, size});
}
