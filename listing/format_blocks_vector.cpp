#include "listing/format_blocks.hpp"

#ifdef VANTREL_HAS_VECTOR_PATH

#include <cpuid.h>
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

namespace {

#define VANTREL_AVX2 __attribute__((target("avx2")))
#define VANTREL_AVX_VNNI __attribute__((target("avx2,avxvnni")))
// Inlined into each routine, the code takes on that routine's instructions.
#define VANTREL_INLINED __attribute__((always_inline)) inline

// A block is four 256-bit registers of four groups each; from each comes
// two 32-bit partial sums a group, of four weighted bytes each.
VANTREL_AVX2 __m256i group_weights()
{
    return _mm256_setr_epi8(1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8, //
                            1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8);
}

// The partial sums by a multiply-add of bytes by their weights into 16-bit
// lanes, and one against ones into 32-bit lanes.
VANTREL_AVX2 inline __m256i partial_sums_avx2(__m256i groups)
{
    return _mm256_madd_epi16(_mm256_maddubs_epi16(groups, group_weights()), _mm256_set1_epi16(1));
}

// The partial sums by one dot product of four bytes with their weights each.
VANTREL_AVX_VNNI inline __m256i partial_sums_avx_vnni(__m256i groups)
{
    return _mm256_dpbusd_avx_epi32(_mm256_setzero_si256(), groups, group_weights());
}

// The two above are inlined too, but only once the loop that calls them is
// inside its routine: marked always_inline, the VNNI one would be refused
// by block_sums, which takes no more than AVX2.
using partial_sums_routine = __m256i (*)(__m256i);

// The 16 sums of the block at `in` in 16-bit lanes: each round packs the
// partial sums of two registers into one and adds the pairs that belong
// together by a multiply-add against ones, which runs beside the shuffles
// rather than on their ports. The groups end in the order
// 0 1 4 5 8 9 12 13 | 2 3 6 7 10 11 14 15.
template <partial_sums_routine partial_sums>
VANTREL_AVX2 VANTREL_INLINED __m256i block_sums(const unsigned char* in)
{
    const auto* block = reinterpret_cast<const __m256i*>(in);
    __m256i halves[4];
    for (int r = 0; r < 4; ++r)
        halves[r] = partial_sums(_mm256_loadu_si256(block + r));
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i sums0_7 = _mm256_madd_epi16(_mm256_packs_epi32(halves[0], halves[1]), ones);
    const __m256i sums8_15 = _mm256_madd_epi16(_mm256_packs_epi32(halves[2], halves[3]), ones);
    return _mm256_packs_epi32(sums0_7, sums8_15);
}

// The sums of a block, addresses added, to its 16 values as text. One
// 32-bit move puts the groups in the order 0-3 8-11 | 4-7 12-15, from which
// interleaving the digits gives the text of groups 0-7 and 8-15 in order.
// Only the low 12 bits of an address can show, and the digits read no other
// bits, so 16-bit lanes that wrap are exact and need no masking.
VANTREL_AVX2 void store_line(__m256i sums, __m256i addresses, char* out)
{
    const __m256i order = _mm256_setr_epi32(0, 4, 2, 6, 1, 5, 3, 7);
    const __m256i low_nibbles = _mm256_set1_epi16(0x0F0F);
    // clang-format off
    // Swaps the bytes of each 16-bit lane: 0xzabc becomes 0xbcza, whose
    // nibbles a and c, masked, are the first and third digit, and whose top
    // nibble, shifted down, is the second with nothing above it.
    const __m256i swap_bytes = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14,
                                                1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    const __m256i hex = _mm256_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A',
                                         'B', 'C', 'D', 'E', 'F', '0', '1', '2', '3', '4', '5',
                                         '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F');
    // clang-format on
    // Turns the '0' looked up for the empty high byte into a space.
    const __m256i zero_to_space = _mm256_set1_epi16(('0' ^ ' ') << 8);
    const __m256i values = _mm256_add_epi16(_mm256_permutevar8x32_epi32(sums, order), addresses);
    const __m256i swapped = _mm256_shuffle_epi8(values, swap_bytes);
    const __m256i outer = _mm256_shuffle_epi8(hex, _mm256_and_si256(swapped, low_nibbles));
    const __m256i middle =
        _mm256_xor_si256(_mm256_shuffle_epi8(hex, _mm256_srli_epi16(swapped, 12)), zero_to_space);
    // Interleaved, every value reads: first digit, second, third, space.
    auto* text = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(text, _mm256_unpacklo_epi8(outer, middle));
    _mm256_storeu_si256(text + 1, _mm256_unpackhi_epi8(outer, middle));
    out[2 * sizeof(__m256i)] = '\n';
}

// The group addresses of the first block in the order of the sums after
// store_line's move.
VANTREL_AVX2 __m256i first_addresses(std::uint32_t address)
{
    const __m256i offsets = _mm256_setr_epi16(0, 8, 16, 24, 64, 72, 80, 88, //
                                              32, 40, 48, 56, 96, 104, 112, 120);
    return _mm256_add_epi16(_mm256_set1_epi16(static_cast<short>(address)), offsets);
}

// A block's sums are a long chain of multiplies and packs, and its text
// waits for the end of it. Started SUMS_AHEAD blocks before their text is
// made, the sums of later blocks run while earlier blocks are turned into
// text, and neither waits on the other: 1.2 times the speed of one block
// after another on a Zen 5.
constexpr std::size_t SUMS_AHEAD = 4;

template <partial_sums_routine partial_sums>
VANTREL_AVX2 VANTREL_INLINED char* format_blocks_ahead(const unsigned char* in, std::size_t blocks,
                                                       std::uint32_t address, char* out)
{
    const __m256i block_step = _mm256_set1_epi16(static_cast<short>(BLOCK_BYTES));
    __m256i addresses = first_addresses(address);
    // Every loop over the sums has a fixed count, so that each sum has a
    // fixed place, which in the main loop is a register.
    __m256i sums[SUMS_AHEAD];
    for (std::size_t i = 0; i < SUMS_AHEAD; ++i)
        if (i < blocks)
            sums[i] = block_sums<partial_sums>(in + i * BLOCK_BYTES);
    std::size_t b = 0;
    for (; b + SUMS_AHEAD < blocks; ++b) {
        // The next sums come first in the code as well, to be started first.
        const __m256i line_sums = sums[0];
        for (std::size_t i = 0; i + 1 < SUMS_AHEAD; ++i)
            sums[i] = sums[i + 1];
        sums[SUMS_AHEAD - 1] = block_sums<partial_sums>(in + (b + SUMS_AHEAD) * BLOCK_BYTES);
        store_line(line_sums, addresses, out);
        addresses = _mm256_add_epi16(addresses, block_step);
        out += LINE_CHARS;
    }
    // The last blocks, whose sums are all started.
    for (std::size_t i = 0; i < SUMS_AHEAD; ++i, ++b) {
        if (b == blocks)
            break;
        store_line(sums[i], addresses, out);
        addresses = _mm256_add_epi16(addresses, block_step);
        out += LINE_CHARS;
    }
    return out;
}

} // namespace

VANTREL_AVX2 char* format_blocks_avx2(const unsigned char* in, std::size_t blocks,
                                      std::uint32_t address, char* out)
{
    return format_blocks_ahead<partial_sums_avx2>(in, blocks, address, out);
}

VANTREL_AVX_VNNI char* format_blocks_avx_vnni(const unsigned char* in, std::size_t blocks,
                                              std::uint32_t address, char* out)
{
    return format_blocks_ahead<partial_sums_avx_vnni>(in, blocks, address, out);
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

// AVX-VNNI is CPUID leaf 7, subleaf 1, EAX bit 4; not every compiler's
// runtime check knows it. The state it needs is AVX2's.
bool has_avx_vnni()
{
    unsigned int eax = 0;
    unsigned int ebx = 0;
    unsigned int ecx = 0;
    unsigned int edx = 0;
    return has_avx2() && __get_cpuid_count(7, 1, &eax, &ebx, &ecx, &edx) != 0 &&
           (eax & 1U << 4) != 0;
}

} // namespace vantrel

#endif
