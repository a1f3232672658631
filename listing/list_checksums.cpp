#include "listing/list_checksums.hpp"

#include <algorithm>
#include <array>
#include <cstddef>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"
#include "listing/long_file_memory.hpp"

namespace vantrel {
namespace {

// The text of `bytes` of input, the line of a part block at the end included.
constexpr std::size_t text_bytes(std::size_t bytes)
{
    return (bytes / BLOCK_BYTES + 1) * LINE_CHARS;
}

// The memory of a long file: one chunk and its text.
constexpr std::size_t LONG_MEMORY_BYTES = LONG_READ_BYTES + text_bytes(LONG_READ_BYTES);

// The line of a last block that the file covers only in part (`count` bytes,
// 0 to BLOCK_BYTES - 1): every group it touches, the missing bytes taken as
// zero. When the length is a whole multiple of the block, the line is empty.
char* format_last_line(const unsigned char* in, std::size_t count, std::uint32_t address, char* out)
{
    std::array<unsigned char, BLOCK_BYTES> block{};
    std::copy_n(in, count, block.begin());
    std::array<char, LINE_CHARS> line;
    format_blocks_plain(block.data(), 1, address, line.data());
    const std::size_t groups = (count + GROUP_BYTES - 1) / GROUP_BYTES;
    out = std::copy_n(line.data(), groups * VALUE_CHARS, out);
    *out++ = '\n';
    return out;
}

// Some streams flag a failed write but still count it as written.
bool write_all(const char* text, std::size_t size, std::FILE* out)
{
    return std::fwrite(text, 1, size, out) == size && std::ferror(out) == 0;
}

// Where a chunk is read to, and its text made.
struct chunk_buffers {
    unsigned char* input;
    std::size_t size;
    char* text;
};

} // namespace

listing_status list_checksums(std::FILE* in, std::uint32_t start_address, std::FILE* out)
{
    // Static, not on the stack: they would not fit in the smallest stacks a
    // process may start with, and static storage cannot fail to be had at
    // run time. Pages never read into are never touched, so a short file
    // costs only the pages its bytes and its text fill.
    alignas(4096) static std::array<unsigned char, FIRST_READ_BYTES> first_input;
    static std::array<char, text_bytes(FIRST_READ_BYTES)> first_text;
    chunk_buffers buffers{first_input.data(), first_input.size(), first_text.data()};
    long_memory memory;
    bool proved_long = false;
    const block_routine format = chosen_routine();
    std::uint32_t address = start_address;
    for (;;) {
        // fread stops short only at the end of the file or on an error, so
        // short reads from pipes and terminals are not taken for the end.
        const std::size_t count = std::fread(buffers.input, 1, buffers.size, in);
        const bool failed = std::ferror(in) != 0;
        const bool last = count < buffers.size;
        const std::size_t blocks = count / BLOCK_BYTES;
        char* end = format(buffers.input, blocks, address, buffers.text);
        address += static_cast<std::uint32_t>(blocks * BLOCK_BYTES);
        // After a failed read the torn block is not listed: its line would
        // be wrong.
        if (last && !failed)
            end = format_last_line(buffers.input + blocks * BLOCK_BYTES, count % BLOCK_BYTES,
                                   address, end);
        if (!write_all(buffers.text, static_cast<std::size_t>(end - buffers.text), out))
            return listing_status::write_failed;
        if (failed)
            return listing_status::read_failed;
        if (last)
            return listing_status::complete;
        if (!proved_long) {
            // The first read was full: the file may go on.
            proved_long = true;
            memory = long_file_memory(LONG_MEMORY_BYTES);
            if (memory)
                buffers = {memory.get(), LONG_READ_BYTES,
                           reinterpret_cast<char*>(memory.get() + LONG_READ_BYTES)};
        }
    }
}

} // namespace vantrel
