#include "listing/format_blocks.hpp"

#ifdef VANTREL_HAS_VECTOR_PATH

#include <emmintrin.h>

#include "listing/checksum.hpp"

namespace vantrel {
namespace {

// Four groups (32 bytes) to their four weighted sums, one per 32-bit lane.
__m128i weighted_sums4(const unsigned char* in)
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
__m128i value_texts4(__m128i values)
{
    const __m128i nibble1 = _mm_set1_epi32(0x0F00);
    const __m128i nibble2 = _mm_set1_epi32(0x0F0000);
    __m128i nibbles = _mm_or_si128(_mm_srli_epi32(values, 8),
                                   _mm_and_si128(_mm_slli_epi32(values, 4), nibble1));
    nibbles = _mm_or_si128(nibbles, _mm_and_si128(_mm_slli_epi32(values, 16), nibble2));
    const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9)),
                                          _mm_set1_epi8('A' - '0' - 10));
    // '0' into the three digit bytes, a space into the fourth.
    const __m128i base = _mm_set1_epi32(0x20303030);
    return _mm_add_epi8(_mm_add_epi8(nibbles, base), letters);
}

} // namespace

char* format_blocks_vector(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                           char* out)
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

} // namespace vantrel

#endif
