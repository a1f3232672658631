#include "listing/format_blocks.hpp"

#include <array>
#include <cstring>

#include "listing/checksum.hpp"

namespace vantrel {
namespace {

using value_text = std::array<char, VALUE_CHARS>;

constexpr std::array<value_text, CHECKSUM_MASK + 1> make_value_texts()
{
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<value_text, CHECKSUM_MASK + 1> texts{};
    for (std::uint32_t v = 0; v <= CHECKSUM_MASK; ++v)
        texts[v] = {digits[v >> 8], digits[(v >> 4) & 0xF], digits[v & 0xF], ' '};
    return texts;
}

// Three hex digits and a space for every possible value: one copy per group
// instead of a formatted print.
constexpr auto value_texts = make_value_texts();

} // namespace

char* format_blocks_plain(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                          char* out)
{
    for (std::size_t b = 0; b < blocks; ++b) {
        for (std::size_t g = 0; g < GROUPS_PER_LINE; ++g) {
            std::memcpy(out, value_texts[group_checksum(in, address)].data(), VALUE_CHARS);
            out += VALUE_CHARS;
            in += GROUP_BYTES;
            address += GROUP_BYTES;
        }
        *out++ = '\n';
    }
    return out;
}

char* format_blocks(const unsigned char* in, std::size_t blocks, std::uint32_t address, char* out)
{
#ifdef VANTREL_HAS_VECTOR_PATH
    if (has_avx2())
        return format_blocks_avx2(in, blocks, address, out);
    return format_blocks_sse2(in, blocks, address, out);
#else
    return format_blocks_plain(in, blocks, address, out);
#endif
}

} // namespace vantrel
