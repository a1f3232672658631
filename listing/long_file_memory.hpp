#pragma once

#include <cstddef>
#include <memory>

namespace vantrel {

// Memory for the chunks of a long file and their text, at least `bytes`, or
// none when the system has none to give (the listing then goes on in its own
// small buffers). On Linux the kernel is asked to back it with a huge page:
// one trap into the kernel where 4 KiB pages each take one (the README's
// "Speed and memory" gives their cost).
struct free_long_memory {
    void operator()(unsigned char* memory) const;
};
using long_memory = std::unique_ptr<unsigned char[], free_long_memory>;

long_memory long_file_memory(std::size_t bytes);

} // namespace vantrel
