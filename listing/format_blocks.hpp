#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// Writes the listing lines of `blocks` whole blocks read from `in`, the first
// group at `address`, to `out`: LINE_CHARS characters a block, line end
// included. Returns the end of what was written. The routines differ only in
// speed; their output is the same for any bytes and any address.
char* format_blocks(const unsigned char* in, std::size_t blocks, std::uint32_t address, char* out);

// The plain C++ routine: builds and runs everywhere.
char* format_blocks_plain(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                          char* out);

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && !defined(VANTREL_PORTABLE)
#define VANTREL_HAS_VECTOR_PATH 1
// The x86 vector routines, built for 32- and 64-bit x86 alike whatever the
// compiler's target: each may only run where the processor has its
// instructions, as has_sse2() and has_avx2() tell. Every x86-64 processor
// has SSE2; an i686 one may not.
char* format_blocks_sse2(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                         char* out);
char* format_blocks_avx2(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                         char* out);
bool has_sse2();
bool has_avx2();
#endif

#if defined(__wasm_simd128__) && !defined(VANTREL_PORTABLE)
#define VANTREL_HAS_SIMD128 1
// The WebAssembly SIMD128 routine, in a module built for it (-msimd128): an
// engine without SIMD128 refuses the whole module, so nothing is checked at
// run time.
char* format_blocks_simd128(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                            char* out);
#endif

} // namespace vantrel
