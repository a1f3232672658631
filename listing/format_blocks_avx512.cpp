// The AVX-512 kernel of the block loop: F, BW, VBMI and VNNI.
#include <immintrin.h>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"

// GCC 12's AVX-512 intrinsics start their unused result lanes from a
// variable initialised with itself, which its own warnings then take for an
// uninitialised read in every function that uses them (GCC bug 105593).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

VANTREL_TARGET_REGION("avx512f,avx512bw,avx512vbmi,avx512vnni")
#include "listing/block_loop.hpp"

namespace vantrel {
namespace {

// One block is two 512-bit registers, groups 0-7 and 8-15.
struct avx512vbmi_kernel {
    static constexpr std::size_t ahead = 1;
    // The sums of groups 0-15 in 32-bit lanes, in file order, and their
    // addresses.
    using sums = __m512i;
    using addresses = __m512i;

    static __m512i group_addresses(std::uint32_t address)
    {
        const __m512i offsets = _mm512_setr_epi32(0, 8, 16, 24, 32, 40, 48, 56, //
                                                  64, 72, 80, 88, 96, 104, 112, 120);
        return _mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(address)), offsets);
    }

    static __m512i next_block(__m512i addresses)
    {
        return _mm512_add_epi32(addresses, _mm512_set1_epi32(static_cast<int>(BLOCK_BYTES)));
    }

    // Dot products of each group's bytes with their weights, without moving
    // the bytes first: a group's two halves are summed in the two 32-bit
    // lanes of its 64-bit lane, and the lanes of a pair added by a shift.
    // One move then gathers the 16 first lanes in file order.
    static __m512i block_sums(const unsigned char* in)
    {
        // The weights of a group's bytes, the first lowest.
        const __m512i weights = _mm512_set1_epi64(0x0807060504030201);
        const __m512i first_lanes = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, //
                                                      16, 18, 20, 22, 24, 26, 28, 30);
        const __m512i zero = _mm512_setzero_si512();
        __m512i first = _mm512_dpbusd_epi32(zero, _mm512_loadu_si512(in), weights);
        __m512i second = _mm512_dpbusd_epi32(zero, _mm512_loadu_si512(in + 64), weights);
        first = _mm512_add_epi32(first, _mm512_srli_epi64(first, 32));
        second = _mm512_add_epi32(second, _mm512_srli_epi64(second, 32));
        return _mm512_permutex2var_epi32(first, first_lanes, second);
    }

    // One shift per digit: a digit reads the 4 bits of its value that a
    // byte shift left in the low bits of its byte, and a lookup in a table of
    // the 16 digits, repeated, needs no masking of the bits above them.
    static void store_values(__m512i sums, __m512i addresses, char* out)
    {
        // Per 64-bit pair of values: bits 8, 4 and 0 of the first, a byte
        // left for the space, then the same of the second.
        const __m512i digit_shifts = _mm512_set1_epi64(0x0020242800000408);
        const __m512i hex = _mm512_broadcast_i32x4(_mm_setr_epi8(
            '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'));
        // Every byte of the text whose place in its 4-byte value is a digit.
        constexpr __mmask64 digit_bytes = 0x7777777777777777;
        const __m512i values = _mm512_add_epi32(sums, addresses);
        const __m512i digits = _mm512_multishift_epi64_epi8(digit_shifts, values);
        _mm512_storeu_si512(
            out, _mm512_mask_permutexvar_epi8(_mm512_set1_epi8(' '), digit_bytes, digits, hex));
    }
};

} // namespace

char* format_blocks_avx512vbmi(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                               char* out)
{
    return block_loop<avx512vbmi_kernel>(in, blocks, address, out);
}

} // namespace vantrel

VANTREL_END_TARGET_REGION
