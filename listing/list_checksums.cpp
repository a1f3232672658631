#include "listing/list_checksums.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

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

// One read of up to `size` bytes. fread stops short only at the end of the
// file or on an error, so short reads from pipes and terminals are not taken
// for the end.
struct chunk {
    const unsigned char* bytes;
    std::size_t count;
    bool last;
    bool failed;
};

chunk read_chunk(std::FILE* in, unsigned char* into, std::size_t size)
{
    const std::size_t count = std::fread(into, 1, size, in);
    return {into, count, count < size, std::ferror(in) != 0};
}

// What carries on from chunk to chunk.
struct running_listing {
    block_routine format;
    std::uint32_t address;
    std::FILE* out;
};

// Lists a chunk's whole blocks, and at the end of the file its part block,
// in one write of `text`. Returns how the listing ended, or nothing while
// the file goes on.
std::optional<listing_status> list_chunk(const chunk& c, running_listing& listing, char* text)
{
    const std::size_t blocks = c.count / BLOCK_BYTES;
    char* end = listing.format(c.bytes, blocks, listing.address, text);
    listing.address += static_cast<std::uint32_t>(blocks * BLOCK_BYTES);
    // After a failed read the torn block is not listed: its line would be
    // wrong.
    if (c.last && !c.failed)
        end = format_last_line(c.bytes + blocks * BLOCK_BYTES, c.count % BLOCK_BYTES,
                               listing.address, end);
    if (!write_all(text, static_cast<std::size_t>(end - text), listing.out))
        return listing_status::write_failed;
    if (c.failed)
        return listing_status::read_failed;
    if (c.last)
        return listing_status::complete;
    return std::nullopt;
}

} // namespace

listing_status list_checksums(std::FILE* in, std::uint32_t start_address, std::FILE* out)
{
    // Static, not on the stack: they would not fit in the smallest stacks a
    // process may start with, and static storage cannot fail to be had at
    // run time. Pages never read into are never touched, so a short file
    // costs only the pages its bytes and its text fill.
    alignas(4096) static std::array<unsigned char, FIRST_READ_BYTES> first_input;
    static std::array<char, text_bytes(FIRST_READ_BYTES)> first_text;
    running_listing listing{chosen_routine(), start_address, out};
    if (const auto end = list_chunk(read_chunk(in, first_input.data(), first_input.size()), listing,
                                    first_text.data()))
        return *end;
    // The first read was full, so the file may go on: in the memory of a
    // long file where there is some, else in the first buffers.
    const long_memory memory = long_file_memory(LONG_MEMORY_BYTES);
    unsigned char* input = memory ? memory.get() : first_input.data();
    const std::size_t size = memory ? LONG_READ_BYTES : first_input.size();
    char* text =
        memory ? reinterpret_cast<char*>(memory.get() + LONG_READ_BYTES) : first_text.data();
    for (;;)
        if (const auto end = list_chunk(read_chunk(in, input, size), listing, text))
            return *end;
}

} // namespace vantrel
