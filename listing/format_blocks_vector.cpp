#include "listing/format_blocks.hpp"

#ifdef VANTREL_HAS_VECTOR_PATH

#include <immintrin.h>

#include "listing/checksum.hpp"

namespace vantrel {
namespace {

#define VANTREL_SSE2 __attribute__((target("sse2")))

// Four groups (32 bytes) to their four weighted sums, one per 32-bit lane.
VANTREL_SSE2 __m128i weighted_sums4(const unsigned char* in)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i weights = _mm_setr_epi16(1, 2, 3, 4, 5, 6, 7, 8);
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
    // Each group becomes four partial sums of two weighted bytes.
    const __m128i a = _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), weights);
    const __m128i b = _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), weights);
    const __m128i c = _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), weights);
    const __m128i d = _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), weights);
    // Transpose while adding: [a b c d] with each lane the sum of its four.
    const __m128i ab = _mm_add_epi32(_mm_unpacklo_epi32(a, b), _mm_unpackhi_epi32(a, b));
    const __m128i cd = _mm_add_epi32(_mm_unpacklo_epi32(c, d), _mm_unpackhi_epi32(c, d));
    return _mm_add_epi32(_mm_unpacklo_epi64(ab, cd), _mm_unpackhi_epi64(ab, cd));
}

// Four 12-bit values, one per 32-bit lane, to "XYZ " each: the nibbles are
// moved into bytes 0..2 (most significant first), then turned into digits.
VANTREL_SSE2 __m128i value_texts4(__m128i values)
{
    const __m128i nibble1 = _mm_set1_epi32(0x0F00);
    const __m128i nibble2 = _mm_set1_epi32(0x0F0000);
    __m128i nibbles =
        _mm_or_si128(_mm_srli_epi32(values, 8), _mm_and_si128(_mm_slli_epi32(values, 4), nibble1));
    nibbles = _mm_or_si128(nibbles, _mm_and_si128(_mm_slli_epi32(values, 16), nibble2));
    const __m128i letters =
        _mm_and_si128(_mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9)), _mm_set1_epi8('A' - '0' - 10));
    // '0' into the three digit bytes, a space into the fourth.
    const __m128i base = _mm_set1_epi32(0x20303030);
    return _mm_add_epi8(_mm_add_epi8(nibbles, base), letters);
}

} // namespace

VANTREL_SSE2 char* format_blocks_sse2(const unsigned char* in, std::size_t blocks,
                                      std::uint32_t address, char* out)
{
    const __m128i mask = _mm_set1_epi32(static_cast<int>(CHECKSUM_MASK));
    const __m128i quad_step = _mm_set1_epi32(4 * GROUP_BYTES);
    for (std::size_t b = 0; b < blocks; ++b) {
        // Only the low 12 bits of an address can show, so 32-bit lanes that
        // wrap like the running address are exact.
        const int base = static_cast<int>(address & CHECKSUM_MASK);
        __m128i addresses = _mm_setr_epi32(base, base + 8, base + 16, base + 24);
        for (std::size_t q = 0; q < GROUPS_PER_LINE / 4; ++q) {
            const __m128i sums = weighted_sums4(in);
            const __m128i values = _mm_and_si128(_mm_add_epi32(sums, addresses), mask);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), value_texts4(values));
            addresses = _mm_add_epi32(addresses, quad_step);
            in += 4 * GROUP_BYTES;
            out += 4 * VALUE_CHARS;
        }
        *out++ = '\n';
        address += BLOCK_BYTES;
    }
    return out;
}

// One block in one 256-bit register. The 16 weighted sums come from a
// multiply-add of bytes by their weights and three pairwise adds, which leave
// the groups in the order 0 1 4 5 8 9 12 13 | 2 3 6 7 10 11 14 15; the
// addresses are added in that order, and the order is undone when the text
// is stored.
__attribute__((target("avx2"))) char*
format_blocks_avx2(const unsigned char* in, std::size_t blocks, std::uint32_t address, char* out)
{
    const __m256i weights = _mm256_setr_epi8(1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8, //
                                             1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8);
    const __m256i offsets = _mm256_setr_epi16(0, 8, 32, 40, 64, 72, 96, 104, //
                                              16, 24, 48, 56, 80, 88, 112, 120);
    const __m256i mask = _mm256_set1_epi16(static_cast<short>(CHECKSUM_MASK));
    const __m256i low_nibbles = _mm256_set1_epi16(0x0F0F);
    const __m256i middle_nibble = _mm256_set1_epi16(0x000F);
    // clang-format off
    // Swaps the bytes of each 16-bit lane: 0x0abc becomes 0xbc0a, whose
    // nibbles a and c, masked, are the first and third digit.
    const __m256i swap_bytes = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14,
                                                1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    const __m256i hex = _mm256_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A',
                                         'B', 'C', 'D', 'E', 'F', '0', '1', '2', '3', '4', '5',
                                         '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F');
    // clang-format on
    // Turns the '0' looked up for the empty high byte into a space.
    const __m256i zero_to_space = _mm256_set1_epi16(('0' ^ ' ') << 8);
    for (std::size_t b = 0; b < blocks; ++b) {
        const auto* block = reinterpret_cast<const __m256i*>(in);
        const __m256i p0 = _mm256_maddubs_epi16(_mm256_loadu_si256(block), weights);
        const __m256i p1 = _mm256_maddubs_epi16(_mm256_loadu_si256(block + 1), weights);
        const __m256i p2 = _mm256_maddubs_epi16(_mm256_loadu_si256(block + 2), weights);
        const __m256i p3 = _mm256_maddubs_epi16(_mm256_loadu_si256(block + 3), weights);
        const __m256i sums =
            _mm256_hadd_epi16(_mm256_hadd_epi16(p0, p1), _mm256_hadd_epi16(p2, p3));
        const __m256i base = _mm256_set1_epi16(static_cast<short>(address & CHECKSUM_MASK));
        const __m256i values =
            _mm256_and_si256(_mm256_add_epi16(sums, _mm256_add_epi16(base, offsets)), mask);

        const __m256i outer = _mm256_shuffle_epi8(
            hex, _mm256_and_si256(_mm256_shuffle_epi8(values, swap_bytes), low_nibbles));
        const __m256i middle = _mm256_xor_si256(
            _mm256_shuffle_epi8(hex, _mm256_and_si256(_mm256_srli_epi16(values, 4), middle_nibble)),
            zero_to_space);
        // Interleaved, every value reads: first digit, second, third, space.
        const __m256i first8 = _mm256_unpacklo_epi8(outer, middle);
        const __m256i last8 = _mm256_unpackhi_epi8(outer, middle);
        auto* text = reinterpret_cast<__m256i*>(out);
        _mm256_storeu_si256(text, _mm256_permute4x64_epi64(first8, 0xD8));
        _mm256_storeu_si256(text + 1, _mm256_permute4x64_epi64(last8, 0xD8));
        out[2 * sizeof(__m256i)] = '\n';
        out += LINE_CHARS;
        in += BLOCK_BYTES;
        address += BLOCK_BYTES;
    }
    return out;
}

// Checked at run time, so that the tool never stops on an illegal
// instruction on a processor without them.
bool has_sse2()
{
#ifdef __x86_64__
    return true;
#else
    return __builtin_cpu_supports("sse2") != 0;
#endif
}

bool has_avx2()
{
    return __builtin_cpu_supports("avx2") != 0;
}

} // namespace vantrel

#endif
