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

namespace {

bool always()
{
    return true;
}

constexpr named_routine routines[] = {
#ifdef VANTREL_HAS_VECTOR_PATH
    {"avx512vbmi", format_blocks_avx512vbmi, has_avx512vbmi,
     "AVX-512 F, BW, VBMI and VNNI, with the 512-bit state enabled by the system"},
    {"avx512bw", format_blocks_avx512bw, has_avx512bw,
     "AVX-512 F and BW, with the 512-bit state enabled by the system"},
    {"avx_vnni", format_blocks_avx_vnni, has_avx_vnni, "AVX2 and AVX-VNNI"},
    {"avx2", format_blocks_avx2, has_avx2, "AVX2"},
    {"sse2", format_blocks_sse2, has_sse2, "SSE2"},
#endif
    {"plain", format_blocks_plain, always, "nothing"},
};

} // namespace

std::span<const named_routine> block_routines()
{
    return routines;
}

block_routine chosen_routine()
{
    for (const named_routine& routine : routines)
        if (routine.available())
            return routine.format;
    return format_blocks_plain;
}

char* format_blocks(const unsigned char* in, std::size_t blocks, std::uint32_t address, char* out)
{
    return chosen_routine()(in, blocks, address, out);
}

} // namespace vantrel
