#include "listing/long_file_memory.hpp"

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace vantrel {

void free_long_memory::operator()(unsigned char* memory) const
{
    std::free(memory);
}

// The C library's own allocation, not operator new: its nothrow form would
// bring the C++ runtime's exception handling into a tool that has none.
long_memory long_file_memory(std::size_t bytes)
{
#ifdef __linux__
    // A huge page only backs memory that covers it whole, aligned.
    constexpr std::size_t huge_page = std::size_t{2} << 20;
    bytes = (bytes + huge_page - 1) / huge_page * huge_page;
    long_memory memory(static_cast<unsigned char*>(std::aligned_alloc(huge_page, bytes)));
    // Only a hint: where huge pages are off, the pages come one by one.
    if (memory)
        ::madvise(memory.get(), bytes, MADV_HUGEPAGE);
    return memory;
#else
    return long_memory(static_cast<unsigned char*>(std::malloc(bytes)));
#endif
}

} // namespace vantrel
