#include "listing/format_blocks.hpp"

#include <array>
#include <cstring>

#include "listing/checksum.hpp"

namespace vantrel {
namespace {

using value_text = std::array<char, VALUE_CHARS>;

// A group's table index within a block is the block's address (low bits
// only), the group's offset in the block and its weighted sum.
constexpr std::size_t INDEX_COUNT =
    CHECKSUM_MASK + 1 + (GROUPS_PER_LINE - 1) * GROUP_BYTES + MAX_WEIGHTED_SUM;

// Three hex digits and a space for every index, the texts repeating with
// the checksum's period: one copy per group instead of a formatted print,
// and the address is masked once a block rather than once a group.
constexpr std::array<value_text, INDEX_COUNT> make_value_texts()
{
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<value_text, INDEX_COUNT> texts{};
    for (std::uint32_t i = 0; i < INDEX_COUNT; ++i) {
        const std::uint32_t v = i & CHECKSUM_MASK;
        texts[i] = {digits[v >> 8], digits[(v >> 4) & 0xF], digits[v & 0xF], ' '};
    }
    return texts;
}

constexpr auto value_texts = make_value_texts();

} // namespace

char* format_blocks_plain(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                          char* out)
{
    for (std::size_t b = 0; b < blocks; ++b) {
        const value_text* texts = &value_texts[address & CHECKSUM_MASK];
        for (std::size_t g = 0; g < GROUPS_PER_LINE; ++g) {
            const std::size_t index = g * GROUP_BYTES + weighted_sum(in + g * GROUP_BYTES);
            std::memcpy(out + g * VALUE_CHARS, texts[index].data(), VALUE_CHARS);
        }
        out[LINE_CHARS - 1] = '\n';
        in += BLOCK_BYTES;
        out += LINE_CHARS;
        address += BLOCK_BYTES;
    }
    return out;
}

char* format_blocks(const unsigned char* in, std::size_t blocks, std::uint32_t address, char* out)
{
#ifdef VANTREL_HAS_VECTOR_PATH
    if (has_avx2())
        return format_blocks_avx2(in, blocks, address, out);
    if (has_sse2())
        return format_blocks_sse2(in, blocks, address, out);
#endif
#ifdef VANTREL_HAS_SIMD128
    return format_blocks_simd128(in, blocks, address, out);
#endif
    return format_blocks_plain(in, blocks, address, out);
}

} // namespace vantrel
