// The loop that every block routine shares, written once. A routine's
// kernel gives the sums of one block's groups and the text of a line from
// them; the loop walks the blocks, ends the lines and steps the address.
//
// A vector routine includes this file inside its target region, so that the
// loop takes that routine's instructions; it includes listing/checksum.hpp
// first, outside the region, where the functions that header defines belong.
#pragma once

#include "listing/checksum.hpp"

namespace vantrel {

// A kernel K has:
//   K::sums                     the sums of one block's 16 groups;
//   K::block_sums(block)        those sums, from BLOCK_BYTES bytes;
//   K::addresses                the addresses of a block's 16 groups, in the
//                               lanes that the kernel adds them in;
//   K::group_addresses(a)       those of the block whose first group lies at
//                               address a;
//   K::next_block(addresses)    those of the next block, BLOCK_BYTES on;
//   K::store_values(sums, addresses, out)
//                               the block's 16 values as text:
//                               GROUPS_PER_LINE * VALUE_CHARS characters;
//   K::ahead                    how many blocks' sums are started before the
//                               text of the first of them.
// Only the low 12 bits of an address can show, so lanes of 16 bits or more
// that wrap like the running address are exact.
template <typename K>
[[gnu::always_inline]] inline char* store_line(const typename K::sums& sums,
                                               typename K::addresses& addresses, char* out)
{
    K::store_values(sums, addresses, out);
    out[LINE_CHARS - 1] = '\n';
    addresses = K::next_block(addresses);
    return out + LINE_CHARS;
}

// A block's sums are a chain of multiplies and its text waits for their end:
// started some blocks ahead, the sums of later blocks run while earlier
// blocks are turned into text.
template <typename K>
[[gnu::always_inline]] inline char* block_loop(const unsigned char* in, std::size_t blocks,
                                               std::uint32_t address, char* out)
{
    constexpr std::size_t ahead = K::ahead;
    // Every loop over the started sums has a fixed count, so that each has a
    // fixed place: in a vector routine, a register.
    typename K::sums started[ahead]{};
    for (std::size_t i = 0; i < ahead; ++i)
        if (i < blocks)
            started[i] = K::block_sums(in + i * BLOCK_BYTES);
    typename K::addresses addresses = K::group_addresses(address);
    std::size_t b = 0;
    for (; b + ahead < blocks; ++b) {
        // The next sums come first in the code as well, to be started first.
        const typename K::sums line = started[0];
        for (std::size_t i = 0; i + 1 < ahead; ++i)
            started[i] = started[i + 1];
        started[ahead - 1] = K::block_sums(in + (b + ahead) * BLOCK_BYTES);
        out = store_line<K>(line, addresses, out);
    }
    // The last blocks, whose sums are all started.
    for (std::size_t i = 0; i < ahead && b < blocks; ++i, ++b)
        out = store_line<K>(started[i], addresses, out);
    return out;
}

} // namespace vantrel
