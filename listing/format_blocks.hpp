#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrel {

// Writes the listing lines of `blocks` whole blocks read from `in`, the first
// group at `address`, to `out`: LINE_CHARS characters a block, line end
// included. Returns the end of what was written. The routines differ only in
// speed; their output is the same for any bytes and any address.
using block_routine = char* (*)(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                                char* out);

// A block routine, and whether this processor (and its operating system) can
// run it; `needs` says what it takes, for messages.
struct named_routine {
    const char* name;
    block_routine format;
    bool (*available)();
    const char* needs;
};

// Every routine of this build, the fastest first; the plain one, last, runs
// everywhere.
std::span<const named_routine> block_routines();

// The fastest routine this processor can run. Checking takes a little time,
// so a caller that lists many chunks asks once.
block_routine chosen_routine();

// The chosen routine, for callers that format once.
char* format_blocks(const unsigned char* in, std::size_t blocks, std::uint32_t address, char* out);

// The plain C++ routine: builds and runs everywhere.
char* format_blocks_plain(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                          char* out);

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && !defined(VANTREL_PORTABLE)
#define VANTREL_HAS_VECTOR_PATH 1
// The x86 vector routines, built for 32- and 64-bit x86 alike whatever the
// compiler's target: each may only run where its has_...() check says so.
// Every x86-64 processor has SSE2; an i686 one may not.
char* format_blocks_sse2(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                         char* out);
char* format_blocks_avx2(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                         char* out);
char* format_blocks_avx_vnni(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                             char* out);
// AVX-512 F and BW.
char* format_blocks_avx512bw(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                             char* out);
// AVX-512 F, BW, VBMI and VNNI.
char* format_blocks_avx512vbmi(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                               char* out);
bool has_sse2();
bool has_avx2();
bool has_avx_vnni();
bool has_avx512bw();
bool has_avx512vbmi();
#endif

} // namespace vantrel
