#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace vantrel {

// The file is read in chunks, and their text written in large pieces. Once
// the first read has come back full, the file is read on in chunks sixteen
// times larger, in memory of its own (see long_file_memory.hpp): each read
// or write is a call into the kernel, and so is every page of memory first
// touched. A chunk and its text stay in the processor's L2 cache between
// the read and the listing (512 KiB and 260 KiB fit a 1 MiB L2; the first
// read, 32 KiB and its 17 KiB of text, even the smallest). The output is the
// same as block by block.
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
