#pragma once

#include <cstddef>
#include <memory>

namespace vantrel {

// Memory for the chunks of a long file and their text: LONG_MEMORY_BYTES,
// aligned to as much, or none when the system has none to give (the listing
// then goes on in its own small buffers). On Linux the kernel is asked to
// back it with one huge page: each page faulted in costs a trap into the
// kernel, which under some hypervisors takes longer than reading 100 KiB,
// and a huge page is one trap instead of 512.
inline constexpr std::size_t LONG_MEMORY_BYTES = std::size_t{2} << 20;

struct free_long_memory {
    void operator()(unsigned char* memory) const;
};
using long_memory = std::unique_ptr<unsigned char[], free_long_memory>;

long_memory long_file_memory();

} // namespace vantrel
