#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vantrel {

inline constexpr std::size_t GROUP_BYTES = 8;
inline constexpr std::size_t GROUPS_PER_LINE = 16;
inline constexpr std::size_t BLOCK_BYTES = GROUP_BYTES * GROUPS_PER_LINE;
inline constexpr std::uint32_t CHECKSUM_MASK = 0xFFF;

// Each listed value is three hex digits and a space; a full line adds '\n'.
inline constexpr std::size_t VALUE_CHARS = 4;
inline constexpr std::size_t LINE_CHARS = GROUPS_PER_LINE * VALUE_CHARS + 1;

// The largest weighted sum of a group: every byte 0xFF.
inline constexpr std::uint32_t MAX_WEIGHTED_SUM = 0xFF * GROUP_BYTES * (GROUP_BYTES + 1) / 2;

// The weighted sum of one group: the first byte counts once, the last eight
// times; bytes are unsigned, so 0x80 counts as 128. It takes two multiplies:
// the bytes at even and at odd places are spread into 16-bit lanes, and each
// multiply gathers its four weighted bytes in the top lane. No lane of the
// two products added carries into the next: a lane adds bytes that each have
// a different weight from 1 to 8, so it stays within MAX_WEIGHTED_SUM < 2^16.
inline std::uint32_t weighted_sum(const unsigned char* group)
{
    // One load, the first byte lowest, whatever the byte order.
    std::uint64_t bytes;
    std::memcpy(&bytes, group, sizeof bytes);
    if constexpr (std::endian::native == std::endian::big) {
        std::uint64_t swapped = 0;
        for (std::size_t i = 0; i < GROUP_BYTES; ++i)
            swapped = swapped << 8 | (bytes >> 8 * i & 0xFF);
        bytes = swapped;
    }
    constexpr std::uint64_t lanes = 0x00FF00FF00FF00FF;
    constexpr std::uint64_t even_weights = 1ULL << 48 | 3ULL << 32 | 5ULL << 16 | 7ULL;
    constexpr std::uint64_t odd_weights = 2ULL << 48 | 4ULL << 32 | 6ULL << 16 | 8ULL;
    const std::uint64_t even = (bytes & lanes) * even_weights;
    const std::uint64_t odd = (bytes >> 8 & lanes) * odd_weights;
    return static_cast<std::uint32_t>((even + odd) >> 48);
}

// The address is folded in so that equal bytes at different places give
// different values; only its low 12 bits can show.
inline std::uint32_t group_checksum(const unsigned char* group, std::uint32_t address)
{
    return (address + weighted_sum(group)) & CHECKSUM_MASK;
}

} // namespace vantrel
