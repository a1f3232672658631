#include "listing/format_blocks.hpp"

#ifdef VANTREL_HAS_VECTOR_PATH

#include <immintrin.h>

#include "listing/checksum.hpp"

// GCC 12's AVX-512 intrinsics start their unused result lanes from a
// variable initialised with itself, which its own warnings then take for an
// uninitialised read in every function that uses them (GCC bug 105593).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace vantrel {
namespace {

#define VANTREL_AVX512BW __attribute__((target("avx512f,avx512bw")))
#define VANTREL_AVX512VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vnni")))

// One block is two 512-bit registers, groups 0-7 and 8-15, each group two
// 32-bit halves. Gathering the first halves of all 16 groups into one
// register and the second halves into another puts every group in its own
// 32-bit lane, in file order, so that the text needs no reordering later.
struct group_halves {
    __m512i first;  // bytes 1-4 of each group, weights 1 to 4
    __m512i second; // bytes 5-8 of each group, weights 5 to 8
};

VANTREL_AVX512BW group_halves split_groups(const unsigned char* block)
{
    const __m512i first_index = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, //
                                                  16, 18, 20, 22, 24, 26, 28, 30);
    const __m512i second_index = _mm512_setr_epi32(1, 3, 5, 7, 9, 11, 13, 15, //
                                                   17, 19, 21, 23, 25, 27, 29, 31);
    const __m512i low = _mm512_loadu_si512(block);
    const __m512i high = _mm512_loadu_si512(block + 64);
    return {_mm512_permutex2var_epi32(low, first_index, high),
            _mm512_permutex2var_epi32(low, second_index, high)};
}

// The group addresses of a block, one per lane: only their low 12 bits can
// show, and lanes that wrap like the running address keep those exact.
VANTREL_AVX512BW __m512i group_addresses(std::uint32_t address)
{
    const __m512i offsets = _mm512_setr_epi32(0, 8, 16, 24, 32, 40, 48, 56, //
                                              64, 72, 80, 88, 96, 104, 112, 120);
    return _mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(address)), offsets);
}

// The weights of a group's bytes, four to a 32-bit lane, the first lowest.
constexpr int FIRST_WEIGHTS = 0x04030201;
constexpr int SECOND_WEIGHTS = 0x08070605;

// Every byte of `text` whose place in its 4-byte value is a digit.
constexpr __mmask64 DIGIT_BYTES = 0x7777777777777777;

} // namespace

// Group sums by dot products, without moving the bytes first: each group's
// two halves are summed in the two 32-bit lanes of its 64-bit lane, its
// address added to the first, and the lanes of a pair added by a shift. One
// move then gathers the 16 first lanes in file order. The text takes one
// shift per digit: a digit reads the 4 bits of its value that a byte shift
// left in the low bits of its byte, and a lookup in a table of the 16
// digits, repeated, needs no masking of the bits above them.
VANTREL_AVX512VBMI char* format_blocks_avx512vbmi(const unsigned char* in, std::size_t blocks,
                                                  std::uint32_t address, char* out)
{
    const __m512i weights = _mm512_set1_epi64(static_cast<long long>(
        static_cast<unsigned long long>(SECOND_WEIGHTS) << 32 | FIRST_WEIGHTS));
    const __m512i first_lanes = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, //
                                                  16, 18, 20, 22, 24, 26, 28, 30);
    // Per 64-bit pair of values: bits 8, 4 and 0 of the first, a byte left
    // for the space, then the same of the second.
    const __m512i digit_shifts = _mm512_set1_epi64(0x0020242800000408);
    const __m512i hex = _mm512_broadcast_i32x4(_mm_setr_epi8(
        '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'));
    const __m512i spaces = _mm512_set1_epi8(' ');
    // The addresses of groups 0-7 and 8-15 in the first lane of each pair,
    // zero in the second; a 32-bit step leaves the second lanes zero.
    const __m512i block_step = _mm512_set1_epi64(static_cast<long long>(BLOCK_BYTES));
    const __m512i offsets = _mm512_setr_epi64(0, 8, 16, 24, 32, 40, 48, 56);
    __m512i first_addresses =
        _mm512_add_epi32(_mm512_set1_epi64(static_cast<long long>(address)), offsets);
    __m512i second_addresses =
        _mm512_add_epi32(first_addresses, _mm512_set1_epi64(static_cast<long long>(64)));
    for (std::size_t b = 0; b < blocks; ++b) {
        __m512i first = _mm512_dpbusd_epi32(first_addresses, _mm512_loadu_si512(in), weights);
        __m512i second =
            _mm512_dpbusd_epi32(second_addresses, _mm512_loadu_si512(in + 64), weights);
        first = _mm512_add_epi32(first, _mm512_srli_epi64(first, 32));
        second = _mm512_add_epi32(second, _mm512_srli_epi64(second, 32));
        const __m512i values = _mm512_permutex2var_epi32(first, first_lanes, second);
        const __m512i digits = _mm512_multishift_epi64_epi8(digit_shifts, values);
        _mm512_storeu_si512(out, _mm512_mask_permutexvar_epi8(spaces, DIGIT_BYTES, digits, hex));
        out[64] = '\n';
        first_addresses = _mm512_add_epi32(first_addresses, block_step);
        second_addresses = _mm512_add_epi32(second_addresses, block_step);
        in += BLOCK_BYTES;
        out += LINE_CHARS;
    }
    return out;
}

// The same with AVX-512 BW alone: the weighted bytes are added in 16-bit
// lanes and then in pairs, and the three digits of a value are moved into
// their bytes by shifts before one lookup in each 128-bit lane.
VANTREL_AVX512BW char* format_blocks_avx512bw(const unsigned char* in, std::size_t blocks,
                                              std::uint32_t address, char* out)
{
    const __m512i first_weights = _mm512_set1_epi32(FIRST_WEIGHTS);
    const __m512i second_weights = _mm512_set1_epi32(SECOND_WEIGHTS);
    const __m512i ones = _mm512_set1_epi16(1);
    const __m512i second_digit = _mm512_set1_epi32(0x0F00);
    const __m512i third_digit = _mm512_set1_epi32(0x0F0000);
    const __m512i low_nibbles = _mm512_set1_epi8(0x0F);
    const __m512i hex = _mm512_broadcast_i32x4(_mm_setr_epi8(
        '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'));
    const __m512i spaces = _mm512_set1_epi8(' ');
    const __m512i block_step = _mm512_set1_epi32(static_cast<int>(BLOCK_BYTES));
    __m512i addresses = group_addresses(address);
    for (std::size_t b = 0; b < blocks; ++b) {
        const group_halves halves = split_groups(in);
        const __m512i pairs = _mm512_add_epi16(_mm512_maddubs_epi16(halves.first, first_weights),
                                               _mm512_maddubs_epi16(halves.second, second_weights));
        const __m512i values = _mm512_add_epi32(_mm512_madd_epi16(pairs, ones), addresses);
        // Bits 8-11 into byte 0, 4-7 into byte 1, 0-3 into byte 2: 0xD8 is
        // "b where c is set, else a".
        __m512i digits = _mm512_ternarylogic_epi32(
            _mm512_srli_epi32(values, 8), _mm512_slli_epi32(values, 4), second_digit, 0xD8);
        digits =
            _mm512_ternarylogic_epi32(digits, _mm512_slli_epi32(values, 16), third_digit, 0xD8);
        digits = _mm512_and_si512(digits, low_nibbles);
        _mm512_storeu_si512(out, _mm512_mask_shuffle_epi8(spaces, DIGIT_BYTES, hex, digits));
        out[64] = '\n';
        addresses = _mm512_add_epi32(addresses, block_step);
        in += BLOCK_BYTES;
        out += LINE_CHARS;
    }
    return out;
}

// The processor must have the instructions and the operating system must
// save the 512-bit and mask registers on a switch (XCR0 bits 1, 2 and 5 to
// 7). The compiler's runtime checks both before it reports an AVX-512
// feature: libgcc (GCC 12, mingw-w64's too, and clang's builds that link it)
// tests XCR0 against 0xE6.
bool has_avx512bw()
{
    return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0;
}

bool has_avx512vbmi()
{
    return has_avx512bw() && __builtin_cpu_supports("avx512vbmi") != 0 &&
           __builtin_cpu_supports("avx512vnni") != 0;
}

} // namespace vantrel

#endif
