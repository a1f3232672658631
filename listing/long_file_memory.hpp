#pragma once

#include <cstddef>
#include <memory>

namespace vantrel {

// Memory for the chunks of a long file and their text, at least `bytes`, or
// none when the system has none to give (the listing then goes on in its own
// small buffers). On Linux the kernel is asked to back it with a huge page:
// each 4 KiB page first touched costs a trap into the kernel, which under
// some hypervisors takes as long as reading 100 KiB, and one huge page is
// one trap instead of the 193 of a large chunk and its text.
struct free_long_memory {
    void operator()(unsigned char* memory) const;
};
using long_memory = std::unique_ptr<unsigned char[], free_long_memory>;

long_memory long_file_memory(std::size_t bytes);

} // namespace vantrel
