#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace vantrel {

// The file is read in large chunks, and each chunk's text written at once.
// A chunk and its text stay in the processor's L2 cache between the read and
// the listing (128 KiB and 65 KiB fit even a 256 KiB L2). Once a file has
// proved long, four times larger reads save three in four calls; the pages of
// the larger buffers are faulted in once, which pays off only over many
// reads. The output is the same as block by block.
inline constexpr std::size_t FIRST_READ_BYTES = std::size_t{128} << 10;
inline constexpr std::size_t LONG_READ_BYTES = std::size_t{512} << 10;
inline constexpr std::uint64_t LONG_FILE_BYTES = std::uint64_t{64} << 20;

enum class listing_status {
    complete,     // the file was listed to its end
    read_failed,  // reading failed; every line written is whole and correct
    write_failed, // `out` refused the listing; nothing more was written
};

// Lists `in` from where it stands to its end on `out`: one line of group
// checksums for every block, the first group at `start_address`.
listing_status list_checksums(std::FILE* in, std::uint32_t start_address, std::FILE* out);

} // namespace vantrel
