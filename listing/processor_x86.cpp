// What an x86 processor and its system can run, read from CPUID and XCR0,
// and where the 512-bit routine pays. The README's routine table gives what
// each routine needs and the figures behind the choice.
#include <cpuid.h>

#include "listing/format_blocks.hpp"

namespace vantrel {
namespace {

constexpr std::uint32_t LEAF1_ECX_OSXSAVE = 1U << 27;
constexpr std::uint32_t LEAF7_EBX_AVX2 = 1U << 5;
constexpr std::uint32_t LEAF7_EBX_AVX512F = 1U << 16;
constexpr std::uint32_t LEAF7_EBX_AVX512BW = 1U << 30;
constexpr std::uint32_t LEAF7_ECX_AVX512VBMI = 1U << 1;
constexpr std::uint32_t LEAF7_ECX_AVX512VNNI = 1U << 11;
// XCR0: the SSE and AVX registers; then the mask registers and both halves
// of the 512-bit state.
constexpr std::uint64_t SAVES_YMM = 0x6;
constexpr std::uint64_t SAVES_ZMM = 0xE6;
constexpr unsigned ZEN5_FAMILY = 0x1A;

bool has_all(std::uint64_t word, std::uint64_t bits)
{
    return (word & bits) == bits;
}

std::uint64_t read_xcr0()
{
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return static_cast<std::uint64_t>(high) << 32 | low;
}

} // namespace

processor this_processor()
{
    processor cpu{};
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    // Zero where the processor has no CPUID at all (before the Pentium).
    const unsigned max_leaf = __get_cpuid_max(0, nullptr);
    if (max_leaf < 1)
        return cpu;
    __cpuid(0, eax, ebx, ecx, edx);
    cpu.amd = ebx == 0x68747541 && edx == 0x69746E65 && ecx == 0x444D4163; // "AuthenticAMD"
    __cpuid(1, eax, ebx, ecx, edx);
    const unsigned base_family = eax >> 8 & 0xF;
    cpu.family = base_family == 0xF ? base_family + (eax >> 20 & 0xFF) : base_family;
    // XGETBV itself faults where the system has not enabled XSAVE.
    if (has_all(ecx, LEAF1_ECX_OSXSAVE))
        cpu.saved_state = read_xcr0();
    if (max_leaf >= 7) {
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        cpu.leaf7_ebx = ebx;
        cpu.leaf7_ecx = ecx;
    }
    return cpu;
}

bool runs_avx2(const processor& cpu)
{
    return has_all(cpu.saved_state, SAVES_YMM) && has_all(cpu.leaf7_ebx, LEAF7_EBX_AVX2);
}

bool runs_avx512vbmi(const processor& cpu)
{
    return has_all(cpu.saved_state, SAVES_ZMM) &&
           has_all(cpu.leaf7_ebx, LEAF7_EBX_AVX512F | LEAF7_EBX_AVX512BW) &&
           has_all(cpu.leaf7_ecx, LEAF7_ECX_AVX512VBMI | LEAF7_ECX_AVX512VNNI);
}

// Where the README's routine table shows it faster than avx2: not on every
// processor that has the instructions.
bool pays_avx512vbmi(const processor& cpu)
{
    return runs_avx512vbmi(cpu) && cpu.amd && cpu.family >= ZEN5_FAMILY;
}

} // namespace vantrel
