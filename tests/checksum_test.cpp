#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <random>
#include <string>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"

#ifdef _WIN32
#include <windows.h>
#elif defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

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

// A routine must give the plain routine's text for any bytes, any address
// and any alignment of either buffer, including bytes that stress signed
// vector arithmetic, and write nothing past its text.
void expect_same_as_plain(block_routine format)
{
    constexpr std::size_t blocks = 64;
    constexpr std::size_t slack = 64;
    std::mt19937 random(11);
    std::array<unsigned char, blocks * BLOCK_BYTES + slack> input;
    std::string plain(blocks * LINE_CHARS, '?');
    std::string text(blocks * LINE_CHARS + 2 * slack, '!');
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
        const unsigned char* in = input.data() + static_cast<std::size_t>(round) % slack;
        const std::size_t text_at = static_cast<std::size_t>(round) * 7 % slack;
        text.assign(text.size(), '!');
        char* plain_end = format_blocks_plain(in, count, address, plain.data());
        char* end = format(in, count, address, text.data() + text_at);
        ASSERT_EQ(plain_end - plain.data(), static_cast<std::ptrdiff_t>(count * LINE_CHARS));
        ASSERT_EQ(plain.substr(0, count * LINE_CHARS), text.substr(text_at, count * LINE_CHARS))
            << "round " << round;
        ASSERT_EQ(end, text.data() + text_at + count * LINE_CHARS);
        ASSERT_EQ(text.find_first_not_of('!', text_at + count * LINE_CHARS), std::string::npos)
            << "round " << round << ": written past the text";
    }
}

// Every routine of the build, each by name; one that this processor cannot
// run is reported as skipped.
class EveryRoutine : public testing::TestWithParam<named_routine> {};

TEST_P(EveryRoutine, MatchesPlainRoutine)
{
    const named_routine& routine = GetParam();
    if (routine.format == format_blocks_plain)
        GTEST_SKIP() << "the plain routine is the reference";
    if (!routine.runs_on(this_processor()))
        GTEST_SKIP() << "this processor cannot run it";
    expect_same_as_plain(routine.format);
}

#if defined(__linux__) || defined(_WIN32)
// Room for `size` bytes that end where a page that cannot be read begins, so
// that reading one byte past them stops the test.
struct fenced_bytes {
    explicit fenced_bytes(std::size_t size)
    {
#ifdef _WIN32
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const std::size_t page = system.dwPageSize;
#else
        const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
#endif
        const std::size_t readable = (size + page - 1) / page * page;
        length = readable + page;
#ifdef _WIN32
        base = VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        DWORD old;
        const bool fenced = base != nullptr && VirtualProtect(static_cast<char*>(base) + readable,
                                                              page, PAGE_NOACCESS, &old);
#else
        base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        const bool fenced = base != MAP_FAILED &&
                            mprotect(static_cast<char*>(base) + readable, page, PROT_NONE) == 0;
#endif
        if (!fenced)
            std::abort();
        bytes = static_cast<unsigned char*>(base) + readable - size;
    }
    ~fenced_bytes()
    {
#ifdef _WIN32
        VirtualFree(base, 0, MEM_RELEASE);
#else
        munmap(base, length);
#endif
    }
    fenced_bytes(const fenced_bytes&) = delete;
    fenced_bytes& operator=(const fenced_bytes&) = delete;

    void* base;
    std::size_t length;
    unsigned char* bytes;
};
#endif

TEST_P(EveryRoutine, ReadsNothingPastItsInput)
{
#if !defined(__linux__) && !defined(_WIN32)
    GTEST_SKIP() << "no page can be made unreadable here";
#else
    const named_routine& routine = GetParam();
    if (!routine.runs_on(this_processor()))
        GTEST_SKIP() << "this processor cannot run it";
    std::mt19937 random(5);
    for (std::size_t blocks = 1; blocks <= 40; ++blocks) {
        const fenced_bytes input(blocks * BLOCK_BYTES);
        for (std::size_t i = 0; i < blocks * BLOCK_BYTES; ++i)
            input.bytes[i] = static_cast<unsigned char>(random());
        const std::uint32_t address = random();
        std::string expected;
        char value[8];
        for (std::size_t offset = 0; offset < blocks * BLOCK_BYTES; offset += GROUP_BYTES) {
            std::snprintf(
                value, sizeof value, "%03X ",
                group_checksum(input.bytes + offset, address + static_cast<std::uint32_t>(offset)));
            expected += value;
            if ((offset + GROUP_BYTES) % BLOCK_BYTES == 0)
                expected += '\n';
        }
        std::string text(blocks * LINE_CHARS, '!');
        routine.format(input.bytes, blocks, address, text.data());
        ASSERT_EQ(text, expected) << blocks << " blocks";
    }
#endif
}

INSTANTIATE_TEST_SUITE_P(FormatBlocks, EveryRoutine, testing::ValuesIn(block_routines()),
                         [](const testing::TestParamInfo<named_routine>& info) {
                             return std::string(info.param.name);
                         });

// The tests on emulated processors name the routine that each must get.
TEST(FormatBlocks, ChosenRoutineIsTheOneForTheProcessor)
{
    const char* expected = std::getenv("VANTREL_EXPECTED_ROUTINE");
    if (expected == nullptr)
        GTEST_SKIP() << "VANTREL_EXPECTED_ROUTINE names the routine on emulated processors";
    EXPECT_STREQ(choose_routine(this_processor()).name, expected);
}

} // namespace
} // namespace vantrel
