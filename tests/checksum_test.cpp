#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"

namespace vantrel {
namespace {

using group = std::array<unsigned char, GROUP_BYTES>;

struct checksum_case {
    group bytes;
    std::uint32_t address;
    std::uint32_t expected;
};

TEST(GroupChecksum, KnownValues)
{
    const checksum_case cases[] = {
        {{}, 0x234, 0x234},
        {{}, 0xABCDE234, 0x234},
        {{1, 2, 3, 4, 5, 6, 7, 8}, 0x100, 0x1CC},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0, 0x3DC},
        {{0x80}, 0, 0x080},
        {{0, 0, 0, 0, 0, 0, 0, 0x80}, 0, 0x400},
        {{}, 0xFFFFFFF8, 0xFF8},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFF, 0x3DB},
    };
    for (const auto& c : cases)
        EXPECT_EQ(group_checksum(c.bytes.data(), c.address), c.expected)
            << "address " << std::hex << c.address;
}

TEST(GroupChecksum, AddressesApartByMultiplesOf0x1000AgreeAndEachByteHasItsWeight)
{
    std::mt19937 random(7);
    for (int i = 0; i < 10000; ++i) {
        group bytes;
        for (auto& b : bytes)
            b = static_cast<unsigned char>(random());
        const std::uint32_t address = random();
        std::uint32_t sum = address;
        for (std::size_t place = 0; place < GROUP_BYTES; ++place)
            sum += static_cast<std::uint32_t>(place + 1) * bytes[place];
        ASSERT_EQ(group_checksum(bytes.data(), address), sum & 0xFFF);
        ASSERT_EQ(group_checksum(bytes.data(), address + 0x7000), sum & 0xFFF);
    }
}

#if defined(VANTREL_HAS_VECTOR_PATH) || defined(VANTREL_HAS_SIMD128)
using routine = char* (*)(const unsigned char*, std::size_t, std::uint32_t, char*);

// A vector routine must give the plain routine's text for any bytes and any
// address, including bytes that stress signed vector arithmetic.
void expect_same_as_plain(routine format)
{
    constexpr std::size_t blocks = 64;
    std::mt19937 random(11);
    std::array<unsigned char, blocks * BLOCK_BYTES> input;
    std::string plain(blocks * LINE_CHARS, '?');
    std::string vector(blocks * LINE_CHARS, '!');
    for (int round = 0; round < 400; ++round) {
        const unsigned char fill = round % 4 == 0 ? 0xFF : round % 4 == 1 ? 0x80 : 0;
        for (auto& b : input)
            b = round % 4 < 2 ? fill : static_cast<unsigned char>(random());
        const std::uint32_t address = round < 8 ? 0xFFFFFFFF - static_cast<std::uint32_t>(round)
                                                : static_cast<std::uint32_t>(random());
        const std::size_t count = 1 + static_cast<std::size_t>(random()) % blocks;
        char* plain_end = format_blocks_plain(input.data(), count, address, plain.data());
        char* vector_end = format(input.data(), count, address, vector.data());
        ASSERT_EQ(plain_end - plain.data(), static_cast<std::ptrdiff_t>(count * LINE_CHARS));
        ASSERT_EQ(plain.substr(0, count * LINE_CHARS), vector.substr(0, count * LINE_CHARS))
            << "round " << round;
        ASSERT_EQ(vector_end, vector.data() + count * LINE_CHARS);
    }
}

#endif

TEST(FormatBlocks, Sse2RoutineMatchesPlainRoutine)
{
#ifndef VANTREL_HAS_VECTOR_PATH
    GTEST_SKIP() << "this build lists with the plain routine only";
#else
    if (!has_sse2())
        GTEST_SKIP() << "this processor has no SSE2";
    expect_same_as_plain(format_blocks_sse2);
#endif
}

TEST(FormatBlocks, Avx2RoutineMatchesPlainRoutine)
{
#ifndef VANTREL_HAS_VECTOR_PATH
    GTEST_SKIP() << "this build lists with the plain routine only";
#else
    if (!has_avx2())
        GTEST_SKIP() << "this processor has no AVX2";
    expect_same_as_plain(format_blocks_avx2);
#endif
}

TEST(FormatBlocks, Simd128RoutineMatchesPlainRoutine)
{
#ifndef VANTREL_HAS_SIMD128
    GTEST_SKIP() << "not a WebAssembly build for SIMD128";
#else
    expect_same_as_plain(format_blocks_simd128);
#endif
}

} // namespace
} // namespace vantrel
