#include "listing/format_blocks.hpp"

#ifdef VANTREL_HAS_SIMD128

#include <wasm_simd128.h>

#include "listing/checksum.hpp"

namespace vantrel {
namespace {

// Adds neighbouring 16-bit lanes: the four pair sums of x, then those of y.
// Sums of at most 2^15 - 1 fit the lanes again.
v128_t add_pairs(v128_t x, v128_t y)
{
    return wasm_u16x8_narrow_i32x4(wasm_i32x4_extadd_pairwise_i16x8(x),
                                   wasm_i32x4_extadd_pairwise_i16x8(y));
}

// Two groups (16 bytes) to four 32-bit lanes, each the weighted sum of four
// of their bytes: two for the first group, then two for the second. A 16-bit
// lane holds a byte at an even place and the next one above it, so masking
// and shifting split them without widening; each dot product then adds the
// weighted bytes of two lanes.
v128_t weighted_quads(const unsigned char* in)
{
    const v128_t even_weights = wasm_i16x8_const(1, 3, 5, 7, 1, 3, 5, 7);
    const v128_t odd_weights = wasm_i16x8_const(2, 4, 6, 8, 2, 4, 6, 8);
    const v128_t bytes = wasm_v128_load(in);
    const v128_t even = wasm_v128_and(bytes, wasm_i16x8_splat(0xFF));
    const v128_t odd = wasm_u16x8_shr(bytes, 8);
    return wasm_i32x4_add(wasm_i32x4_dot_i16x8(even, even_weights),
                          wasm_i32x4_dot_i16x8(odd, odd_weights));
}

// Eight groups (64 bytes) to their weighted sums, in order, one per 16-bit
// lane. No lane overflows: a sum is at most MAX_WEIGHTED_SUM < 2^15.
v128_t weighted_sums8(const unsigned char* in)
{
    const v128_t first = wasm_u16x8_narrow_i32x4(weighted_quads(in), weighted_quads(in + 16));
    const v128_t second = wasm_u16x8_narrow_i32x4(weighted_quads(in + 32), weighted_quads(in + 48));
    return add_pairs(first, second);
}

// Eight 12-bit values, one per 16-bit lane (0x0abc), to "abc " each, as 32
// characters: the outer digits a and c come from the lane with its bytes
// swapped, the middle one b from the lane shifted, and the two are
// interleaved byte by byte.
void store_value_texts8(v128_t values, char* out)
{
    const v128_t hex = wasm_i8x16_const('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B',
                                        'C', 'D', 'E', 'F');
    const v128_t swapped =
        wasm_i8x16_shuffle(values, values, 1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    const v128_t outer = wasm_i8x16_swizzle(hex, wasm_v128_and(swapped, wasm_i16x8_splat(0x0F0F)));
    // The '0' looked up for the empty high byte becomes a space.
    const v128_t middle = wasm_v128_xor(
        wasm_i8x16_swizzle(hex, wasm_v128_and(wasm_u16x8_shr(values, 4), wasm_i16x8_splat(0x0F))),
        wasm_i16x8_splat(('0' ^ ' ') << 8));
    wasm_v128_store(out, wasm_i8x16_shuffle(outer, middle, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21,
                                            6, 22, 7, 23));
    wasm_v128_store(out + 16, wasm_i8x16_shuffle(outer, middle, 8, 24, 9, 25, 10, 26, 11, 27, 12,
                                                 28, 13, 29, 14, 30, 15, 31));
}

} // namespace

char* format_blocks_simd128(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                            char* out)
{
    const v128_t first_offsets = wasm_i16x8_const(0, 8, 16, 24, 32, 40, 48, 56);
    const v128_t second_offsets = wasm_i16x8_const(64, 72, 80, 88, 96, 104, 112, 120);
    const v128_t mask = wasm_i16x8_splat(static_cast<short>(CHECKSUM_MASK));
    for (std::size_t b = 0; b < blocks; ++b) {
        // Only the low 12 bits of an address can show, so 16-bit lanes that
        // wrap are exact.
        const v128_t base = wasm_i16x8_splat(static_cast<short>(address & CHECKSUM_MASK));
        const v128_t first =
            wasm_i16x8_add(weighted_sums8(in), wasm_i16x8_add(base, first_offsets));
        const v128_t second =
            wasm_i16x8_add(weighted_sums8(in + 64), wasm_i16x8_add(base, second_offsets));
        store_value_texts8(wasm_v128_and(first, mask), out);
        store_value_texts8(wasm_v128_and(second, mask), out + 8 * VALUE_CHARS);
        out[LINE_CHARS - 1] = '\n';
        in += BLOCK_BYTES;
        out += LINE_CHARS;
        address += BLOCK_BYTES;
    }
    return out;
}

} // namespace vantrel

#endif
