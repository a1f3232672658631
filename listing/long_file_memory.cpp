#include "listing/long_file_memory.hpp"

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#elif defined(_WIN32)
#include <malloc.h>
#endif

namespace vantrel {
namespace {

// The C library's own, not operator new: its nothrow form would bring the
// C++ runtime's exception handling into a tool that has none. The Windows C
// runtime has no aligned_alloc.
unsigned char* allocate_aligned(std::size_t bytes)
{
#ifdef _WIN32
    return static_cast<unsigned char*>(_aligned_malloc(bytes, bytes));
#else
    return static_cast<unsigned char*>(std::aligned_alloc(bytes, bytes));
#endif
}

} // namespace

void free_long_memory::operator()(unsigned char* memory) const
{
#ifdef _WIN32
    _aligned_free(memory);
#else
    std::free(memory);
#endif
}

long_memory long_file_memory()
{
    long_memory memory(allocate_aligned(LONG_MEMORY_BYTES));
#ifdef __linux__
    // Only a hint: where huge pages are off, the pages come one by one.
    if (memory)
        ::madvise(memory.get(), LONG_MEMORY_BYTES, MADV_HUGEPAGE);
#endif
    return memory;
}

} // namespace vantrel
