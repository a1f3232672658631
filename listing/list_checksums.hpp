#pragma once

#include <cstdint>
#include <cstdio>

namespace vantrel {

enum class listing_status {
    complete,     // the file was listed to its end
    read_failed,  // reading failed; every line written is whole and correct
    write_failed, // `out` refused the listing; nothing more was written
};

// Lists `in` from where it stands to its end on `out`: one line of group
// checksums for every block, the first group at `start_address`.
listing_status list_checksums(std::FILE* in, std::uint32_t start_address, std::FILE* out);

} // namespace vantrel
