#include "listing/format_blocks.hpp"

#include <array>
#include <cstring>

#include "listing/block_loop.hpp"
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

// The weighted sums cost little here and are taken as the text is made, so
// the sums of a block are its bytes.
struct plain_kernel {
    static constexpr std::size_t ahead = 1;
    using sums = const unsigned char*;
    using addresses = std::uint32_t;

    static sums block_sums(const unsigned char* block)
    {
        return block;
    }
    static addresses group_addresses(std::uint32_t address)
    {
        return address;
    }
    static addresses next_block(addresses address)
    {
        return address + BLOCK_BYTES;
    }

    static void store_values(sums block, addresses address, char* out)
    {
        const value_text* texts = &value_texts[address & CHECKSUM_MASK];
        for (std::size_t g = 0; g < GROUPS_PER_LINE; ++g) {
            const std::size_t index = g * GROUP_BYTES + weighted_sum(block + g * GROUP_BYTES);
            std::memcpy(out + g * VALUE_CHARS, texts[index].data(), VALUE_CHARS);
        }
    }
};

bool always(const processor& /*cpu*/)
{
    return true;
}

// The order of the choice: the first routine that pays is taken.
constexpr named_routine routines[] = {
#ifdef VANTREL_X86_ROUTINES
    {"avx512vbmi", format_blocks_avx512vbmi, runs_avx512vbmi, pays_avx512vbmi},
    {"avx2", format_blocks_avx2, runs_avx2, runs_avx2},
#endif
    {"plain", format_blocks_plain, always, always},
};

} // namespace

char* format_blocks_plain(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                          char* out)
{
    return block_loop<plain_kernel>(in, blocks, address, out);
}

std::span<const named_routine> block_routines()
{
    return routines;
}

const named_routine& choose_routine(const processor& cpu)
{
    for (const named_routine& routine : routines)
        if (routine.pays_on(cpu))
            return routine;
    return routines[std::size(routines) - 1];
}

block_routine chosen_routine()
{
    return choose_routine(this_processor()).format;
}

#ifndef VANTREL_X86_ROUTINES
processor this_processor()
{
    return {};
}
#endif

} // namespace vantrel
