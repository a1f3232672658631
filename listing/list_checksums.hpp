#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace vantrel {

// The file is read in chunks, and the text of each written in one piece: a
// short file in small static buffers, and once the first read has come back
// full, the rest in chunks sixteen times larger, in memory of its own (see
// long_file_memory.hpp). The README's "Speed and memory" says why these
// sizes. The output is the same as block by block.
inline constexpr std::size_t FIRST_READ_BYTES = std::size_t{32} << 10;
inline constexpr std::size_t LONG_READ_BYTES = std::size_t{512} << 10;

enum class listing_status {
    complete,     // the file was listed to its end
    read_failed,  // reading failed; every line written is whole and correct
    write_failed, // `out` refused the listing; nothing more was written
};

// Lists `in` from where it stands to its end on `out`: one line of group
// checksums for every block, the first group at `start_address`.
listing_status list_checksums(std::FILE* in, std::uint32_t start_address, std::FILE* out);

} // namespace vantrel
