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

// What the choice of a routine reads of the processor, as plain data, so
// that tests can give it that of any processor. VANTREL_X86_ROUTINES is set
// by the build, for x86 builds that hold vector routines.
#ifdef VANTREL_X86_ROUTINES
struct processor {
    bool amd;                  // CPUID 0: the vendor is "AuthenticAMD"
    unsigned family;           // CPUID 1, EAX: family plus extended family
    std::uint32_t leaf7_ebx;   // CPUID 7.0: EBX
    std::uint32_t leaf7_ecx;   // CPUID 7.0: ECX
    std::uint64_t saved_state; // XCR0, the registers the system saves; 0 without XSAVE
};
#else
struct processor {};
#endif

// Read once: the choice is made once, at the start.
processor this_processor();

// A routine, whether a processor can run it, and whether it is the one to
// choose there (see the README's routine table for the figures behind it).
struct named_routine {
    const char* name;
    block_routine format;
    bool (*runs_on)(const processor&);
    bool (*pays_on)(const processor&);
};

// Every routine of this build; the plain one, last, runs everywhere.
std::span<const named_routine> block_routines();

// The first routine of the table that pays on `cpu`.
const named_routine& choose_routine(const processor& cpu);

// The routine for this processor.
block_routine chosen_routine();

// The plain C++ routine: builds and runs everywhere.
char* format_blocks_plain(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                          char* out);

#ifdef VANTREL_X86_ROUTINES
// Built whatever the compiler's target, each in a target region of its own;
// each may only run where its runs_on says so.
char* format_blocks_avx2(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                         char* out);
char* format_blocks_avx512vbmi(const unsigned char* in, std::size_t blocks, std::uint32_t address,
                               char* out);
bool runs_avx2(const processor& cpu);
bool runs_avx512vbmi(const processor& cpu);
bool pays_avx512vbmi(const processor& cpu);

#define VANTREL_STRING(x) #x
// Every function defined between the two takes the instructions `features`
// allow, inline functions and templates included.
#ifdef __clang__
#define VANTREL_TARGET_REGION(features)                                                            \
    _Pragma(VANTREL_STRING(                                                                        \
        clang attribute push(__attribute__((target(features))), apply_to = function)))
#define VANTREL_END_TARGET_REGION _Pragma("clang attribute pop")
#else
#define VANTREL_TARGET_REGION(features)                                                            \
    _Pragma("GCC push_options") _Pragma(VANTREL_STRING(GCC target(features)))
#define VANTREL_END_TARGET_REGION _Pragma("GCC pop_options")
#endif
#endif

} // namespace vantrel
