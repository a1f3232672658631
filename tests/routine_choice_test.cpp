#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "listing/format_blocks.hpp"

namespace vantrel {
namespace {

#ifdef VANTREL_X86_ROUTINES
// CPUID leaf 7 and XCR0 bits, as the processor manuals number them.
constexpr std::uint32_t AVX2 = 1U << 5;
constexpr std::uint32_t AVX512F = 1U << 16;
constexpr std::uint32_t AVX512DQ = 1U << 17;
constexpr std::uint32_t AVX512PF = 1U << 26;
constexpr std::uint32_t AVX512ER = 1U << 27;
constexpr std::uint32_t AVX512CD = 1U << 28;
constexpr std::uint32_t AVX512BW = 1U << 30;
constexpr std::uint32_t AVX512VL = 1U << 31;
constexpr std::uint32_t AVX512VBMI = 1U << 1;  // in ECX
constexpr std::uint32_t AVX512VNNI = 1U << 11; // in ECX
constexpr std::uint32_t SKYLAKE_SP = AVX2 | AVX512F | AVX512DQ | AVX512CD | AVX512BW | AVX512VL;
constexpr std::uint64_t X87_SSE_AVX = 0x7;
constexpr std::uint64_t WITH_AVX512 = 0xE7;
constexpr unsigned INTEL = 6;
constexpr unsigned ZEN3_4 = 0x19;
constexpr unsigned ZEN5 = 0x1A;

struct choice_case {
    std::string_view processor;
    struct processor cpu;
    std::string_view routine;
};

// The processors the tool meets, and systems that hide what they have.
// Each check that guards an instruction set decides at least one row.
const choice_case cases[] = {
    {"no CPUID", {}, "plain"},
    {"Nehalem: no XSAVE", {false, INTEL, 0, 0, 0}, "plain"},
    {"Sandy Bridge: AVX, no AVX2", {false, INTEL, 0, 0, X87_SSE_AVX}, "plain"},
    {"Haswell", {false, INTEL, AVX2, 0, X87_SSE_AVX}, "avx2"},
    {"Skylake-SP", {false, INTEL, SKYLAKE_SP, 0, WITH_AVX512}, "avx2"},
    {"Xeon Phi",
     {false, INTEL, AVX2 | AVX512F | AVX512CD | AVX512ER | AVX512PF, 0, WITH_AVX512},
     "avx2"},
    {"Cannon Lake", {false, INTEL, SKYLAKE_SP, AVX512VBMI, WITH_AVX512}, "avx2"},
    {"Ice Lake", {false, INTEL, SKYLAKE_SP, AVX512VBMI | AVX512VNNI, WITH_AVX512}, "avx2"},
    {"Alder Lake", {false, INTEL, AVX2, 0, X87_SSE_AVX}, "avx2"},
    {"Zen 3", {true, ZEN3_4, AVX2, 0, X87_SSE_AVX}, "avx2"},
    {"Zen 4", {true, ZEN3_4, SKYLAKE_SP, AVX512VBMI | AVX512VNNI, WITH_AVX512}, "avx2"},
    {"Zen 5", {true, ZEN5, SKYLAKE_SP, AVX512VBMI | AVX512VNNI, WITH_AVX512}, "avx512vbmi"},
    // Family numbers are each maker's own.
    {"an Intel processor numbered as Zen 5",
     {false, ZEN5, SKYLAKE_SP, AVX512VBMI | AVX512VNNI, WITH_AVX512},
     "avx2"},
    {"a VM that reports AVX2 with the AVX state off", {false, INTEL, AVX2, 0, 0x3}, "plain"},
    {"a Zen 5 VM without the 512-bit state",
     {true, ZEN5, SKYLAKE_SP, AVX512VBMI | AVX512VNNI, X87_SSE_AVX},
     "avx2"},
    {"... without the mask registers",
     {true, ZEN5, SKYLAKE_SP, AVX512VBMI | AVX512VNNI, 0xC7},
     "avx2"},
    {"... without the high 256 bits",
     {true, ZEN5, SKYLAKE_SP, AVX512VBMI | AVX512VNNI, 0xA7},
     "avx2"},
    {"... without registers 16-31",
     {true, ZEN5, SKYLAKE_SP, AVX512VBMI | AVX512VNNI, 0x67},
     "avx2"},
    {"... hiding AVX-512 F",
     {true, ZEN5, SKYLAKE_SP & ~AVX512F, AVX512VBMI | AVX512VNNI, WITH_AVX512},
     "avx2"},
    {"... hiding AVX-512 BW",
     {true, ZEN5, SKYLAKE_SP & ~AVX512BW, AVX512VBMI | AVX512VNNI, WITH_AVX512},
     "avx2"},
    {"... hiding AVX-512 VBMI", {true, ZEN5, SKYLAKE_SP, AVX512VNNI, WITH_AVX512}, "avx2"},
    {"... hiding AVX-512 VNNI", {true, ZEN5, SKYLAKE_SP, AVX512VBMI, WITH_AVX512}, "avx2"},
};

TEST(RoutineChoice, EachProcessorGetsTheRoutineThatPaysThere)
{
    for (const choice_case& c : cases)
        EXPECT_EQ(choose_routine(c.cpu).name, c.routine) << c.processor;
}
#endif

} // namespace
} // namespace vantrel
