#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <random>
#include <string>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"

namespace vantrel {

// Test names and messages show a routine by its name.
void PrintTo(const named_routine& routine, std::ostream* out)
{
    *out << routine.name;
}

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

#ifdef VANTREL_HAS_VECTOR_PATH
// A vector routine must give the plain routine's text for any bytes, any
// address and any alignment of either buffer, including bytes that stress
// signed vector arithmetic, and write nothing past its text.
void expect_same_as_plain(block_routine format)
{
    constexpr std::size_t blocks = 64;
    constexpr std::size_t slack = 64;
    std::mt19937 random(11);
    std::array<unsigned char, blocks * BLOCK_BYTES + slack> input;
    std::string plain(blocks * LINE_CHARS, '?');
    std::string vector(blocks * LINE_CHARS + 2 * slack, '!');
    for (int round = 0; round < 400; ++round) {
        const unsigned char fill = round % 4 == 0 ? 0xFF : round % 4 == 1 ? 0x80 : 0;
        for (auto& b : input)
            b = round % 4 < 2 ? fill : static_cast<unsigned char>(random());
        const std::uint32_t address = round < 8 ? 0xFFFFFFFF - static_cast<std::uint32_t>(round)
                                                : static_cast<std::uint32_t>(random());
        // Every count up to a dozen first: a routine that works some blocks
        // ahead has its own start and end for each count below a few.
        const std::size_t count = round < 12 ? static_cast<std::size_t>(round)
                                             : 1 + static_cast<std::size_t>(random()) % blocks;
        // The short counts end at the end of the input, where a read past
        // the last block is out of bounds (and a sanitizer says so).
        const unsigned char* in = round < 12
                                      ? input.data() + input.size() - count * BLOCK_BYTES
                                      : input.data() + static_cast<std::size_t>(round) % slack;
        const std::size_t text_at = static_cast<std::size_t>(round) * 7 % slack;
        vector.assign(vector.size(), '!');
        char* plain_end = format_blocks_plain(in, count, address, plain.data());
        char* vector_end = format(in, count, address, vector.data() + text_at);
        ASSERT_EQ(plain_end - plain.data(), static_cast<std::ptrdiff_t>(count * LINE_CHARS));
        ASSERT_EQ(plain.substr(0, count * LINE_CHARS), vector.substr(text_at, count * LINE_CHARS))
            << "round " << round;
        ASSERT_EQ(vector_end, vector.data() + text_at + count * LINE_CHARS);
        ASSERT_EQ(vector.find_first_not_of('!', text_at + count * LINE_CHARS), std::string::npos)
            << "round " << round << ": written past the text";
    }
}

#endif

// Every routine of the build against the plain one, each by name; one that
// this processor cannot run is reported as skipped, with what it lacks.
class EveryRoutine : public testing::TestWithParam<named_routine> {};

TEST_P(EveryRoutine, MatchesPlainRoutine)
{
#ifndef VANTREL_HAS_VECTOR_PATH
    GTEST_SKIP() << "this build lists with the plain routine only";
#else
    const named_routine& routine = GetParam();
    if (routine.format == format_blocks_plain)
        GTEST_SKIP() << "the plain routine is the reference";
    if (!routine.available())
        GTEST_SKIP() << "this processor lacks " << routine.needs;
    expect_same_as_plain(routine.format);
#endif
}

INSTANTIATE_TEST_SUITE_P(FormatBlocks, EveryRoutine, testing::ValuesIn(block_routines()),
                         [](const testing::TestParamInfo<named_routine>& info) {
                             return std::string(info.param.name);
                         });

// The tests on emulated processors name the routine that each must get: the
// fastest it has. A check that took a routine for available on a processor
// without its instructions, or that never found one, would pick another.
TEST(FormatBlocks, ChosenRoutineIsTheFastestTheProcessorHas)
{
    const char* expected = std::getenv("VANTREL_EXPECTED_ROUTINE");
    if (expected == nullptr)
        GTEST_SKIP() << "VANTREL_EXPECTED_ROUTINE names the routine on emulated processors";
    const auto routines = block_routines();
    const auto chosen = std::find_if(routines.begin(), routines.end(), [](const auto& routine) {
        return routine.format == chosen_routine();
    });
    ASSERT_NE(chosen, routines.end());
    EXPECT_STREQ(chosen->name, expected);
}

} // namespace
} // namespace vantrel
