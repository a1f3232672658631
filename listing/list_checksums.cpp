#include "listing/list_checksums.hpp"

#include <algorithm>
#include <array>
#include <cstddef>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"

namespace vantrel {
namespace {

constexpr std::size_t CHUNK_BLOCKS = LONG_READ_BYTES / BLOCK_BYTES;
constexpr std::size_t CHUNK_TEXT = (CHUNK_BLOCKS + 1) * LINE_CHARS;

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

} // namespace

listing_status list_checksums(std::FILE* in, std::uint32_t start_address, std::FILE* out)
{
    // Static, not on the stack: three quarters of a megabyte would not fit
    // in the smallest stacks a process may start with, and static storage
    // cannot fail to be had at run time. Pages never read into are never
    // touched, so a short file costs no more memory than before.
    alignas(4096) static std::array<unsigned char, LONG_READ_BYTES> input;
    static std::array<char, CHUNK_TEXT> text;
    const block_routine format = chosen_routine();
    std::uint32_t address = start_address;
    std::size_t read_size = FIRST_READ_BYTES;
    std::uint64_t bytes_read = 0;
    for (;;) {
        // fread stops short only at the end of the file or on an error, so
        // short reads from pipes and terminals are not taken for the end.
        const std::size_t count = std::fread(input.data(), 1, read_size, in);
        const bool failed = std::ferror(in) != 0;
        const bool last = count < read_size;
        const std::size_t blocks = count / BLOCK_BYTES;
        char* end = format(input.data(), blocks, address, text.data());
        address += static_cast<std::uint32_t>(blocks * BLOCK_BYTES);
        // After a failed read the torn block is not listed: its line would
        // be wrong.
        if (last && !failed)
            end = format_last_line(input.data() + blocks * BLOCK_BYTES, count % BLOCK_BYTES,
                                   address, end);
        if (!write_all(text.data(), static_cast<std::size_t>(end - text.data()), out))
            return listing_status::write_failed;
        if (failed)
            return listing_status::read_failed;
        if (last)
            return listing_status::complete;
        bytes_read += count;
        if (bytes_read >= LONG_FILE_BYTES)
            read_size = LONG_READ_BYTES;
    }
}

} // namespace vantrel
