// The AVX2 kernel of the block loop.
#include <immintrin.h>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"

VANTREL_TARGET_REGION("avx2")
#include "listing/block_loop.hpp"

namespace vantrel {
namespace {

// A block is four 256-bit registers of four groups each.
struct avx2_kernel {
    static constexpr std::size_t ahead = 4;
    // The 16 sums of a block in 16-bit lanes, in the group order
    // 0 1 4 5 8 9 12 13 | 2 3 6 7 10 11 14 15.
    using sums = __m256i;
    // The group addresses in the order of the sums after store_values's
    // move: 0-3 8-11 | 4-7 12-15.
    using addresses = __m256i;

    static __m256i group_addresses(std::uint32_t address)
    {
        const __m256i offsets = _mm256_setr_epi16(0, 8, 16, 24, 64, 72, 80, 88, //
                                                  32, 40, 48, 56, 96, 104, 112, 120);
        return _mm256_add_epi16(_mm256_set1_epi16(static_cast<short>(address)), offsets);
    }

    static __m256i next_block(__m256i addresses)
    {
        return _mm256_add_epi16(addresses, _mm256_set1_epi16(static_cast<short>(BLOCK_BYTES)));
    }

    // Each register gives two 32-bit partial sums a group, of four weighted
    // bytes each: a multiply-add of the bytes by their weights into 16-bit
    // lanes, and one against ones into 32-bit lanes. Each round then packs
    // the partial sums of two registers into one and adds the pairs that
    // belong together by a multiply-add against ones, which runs beside the
    // shuffles rather than on their ports.
    static __m256i block_sums(const unsigned char* in)
    {
        const __m256i weights = _mm256_setr_epi8(1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8, //
                                                 1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8);
        const __m256i ones = _mm256_set1_epi16(1);
        const auto* block = reinterpret_cast<const __m256i*>(in);
        __m256i halves[4];
        for (int r = 0; r < 4; ++r)
            halves[r] = _mm256_madd_epi16(
                _mm256_maddubs_epi16(_mm256_loadu_si256(block + r), weights), ones);
        const __m256i sums0_7 = _mm256_madd_epi16(_mm256_packs_epi32(halves[0], halves[1]), ones);
        const __m256i sums8_15 = _mm256_madd_epi16(_mm256_packs_epi32(halves[2], halves[3]), ones);
        return _mm256_packs_epi32(sums0_7, sums8_15);
    }

    // One 32-bit move puts the groups in the order 0-3 8-11 | 4-7 12-15,
    // from which interleaving the digits gives the text of groups 0-7 and
    // 8-15 in order. The digits read no bits above the low 12, so the
    // values need no masking.
    static void store_values(__m256i sums, __m256i addresses, char* out)
    {
        const __m256i order = _mm256_setr_epi32(0, 4, 2, 6, 1, 5, 3, 7);
        const __m256i low_nibbles = _mm256_set1_epi16(0x0F0F);
        // clang-format off
        // Swaps the bytes of each 16-bit lane: 0xzabc becomes 0xbcza, whose
        // nibbles a and c, masked, are the first and third digit, and whose
        // top nibble, shifted down, is the second with nothing above it.
        const __m256i swap_bytes = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14,
                                                    1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
        const __m256i hex = _mm256_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A',
                                             'B', 'C', 'D', 'E', 'F', '0', '1', '2', '3', '4', '5',
                                             '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F');
        // clang-format on
        // Turns the '0' looked up for the empty high byte into a space.
        const __m256i zero_to_space = _mm256_set1_epi16(('0' ^ ' ') << 8);
        const __m256i values =
            _mm256_add_epi16(_mm256_permutevar8x32_epi32(sums, order), addresses);
        const __m256i swapped = _mm256_shuffle_epi8(values, swap_bytes);
        const __m256i outer = _mm256_shuffle_epi8(hex, _mm256_and_si256(swapped, low_nibbles));
        const __m256i middle = _mm256_xor_si256(
            _mm256_shuffle_epi8(hex, _mm256_srli_epi16(swapped, 12)), zero_to_space);
        // Interleaved, every value reads: first digit, second, third, space.
        auto* text = reinterpret_cast<__m256i*>(out);
        _mm256_storeu_si256(text, _mm256_unpacklo_epi8(outer, middle));
        _mm256_storeu_si256(text + 1, _mm256_unpackhi_epi8(outer, middle));
    }
};

} // namespace

char* format_blocks_avx2(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                         char* out)
{
    return block_loop<avx2_kernel>(in, blocks, address, out);
}

} // namespace vantrel

VANTREL_END_TARGET_REGION
