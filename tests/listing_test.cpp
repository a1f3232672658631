#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "cli/run_tool.hpp"
#include "listing/checksum.hpp"
#include "listing/list_checksums.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantrel {
namespace {

using bytes = std::vector<unsigned char>;

// A file for a test's bytes, gone once closed. WASI has no tmpfile(): there
// a new file in the working directory is made and its name removed at once;
// "x" makes sure that no other test run, at the same time, has it too. The
// Windows C runtime's tmpfile() fails now and then when two test programs
// run side by side; there the system makes a unique name in its temporary
// folder, and "D" deletes the file once closed.
std::FILE* make_scratch_file()
{
#ifdef __wasi__
    for (int n = 0;; ++n) {
        const std::string name = "listing_test.scratch." + std::to_string(n);
        if (std::FILE* file = std::fopen(name.c_str(), "w+bx")) {
            std::remove(name.c_str());
            return file;
        }
    }
#elif defined(_WIN32)
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"vtl", 0, name) == 0)
        return nullptr;
    return _wfopen(name, L"w+bD");
#else
    return std::tmpfile();
#endif
}

std::FILE* scratch_file()
{
    std::FILE* file = make_scratch_file();
    if (file == nullptr) {
        std::fputs("cannot make a scratch file\n", stderr);
        std::abort();
    }
    return file;
}

std::string read_back(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

std::string listing_of(const bytes& content, std::uint32_t address)
{
    std::FILE* in = scratch_file();
    std::FILE* out = scratch_file();
    if (!content.empty())
        std::fwrite(content.data(), 1, content.size(), in);
    std::rewind(in);
    EXPECT_EQ(list_checksums(in, address, out), listing_status::complete);
    std::string text = read_back(out);
    std::fclose(in);
    std::fclose(out);
    return text;
}

// The values of zero bytes are the low 12 bits of their addresses.
std::string zero_values(std::uint32_t address, int count)
{
    std::string text;
    char value[8];
    for (int i = 0; i < count; ++i, address += 8) {
        std::snprintf(value, sizeof value, "%03X ", address & 0xFFF);
        text += value;
    }
    return text;
}

TEST(ListChecksums, LineShapesFollowTheLengthOfZeroFiles)
{
    const std::string full = zero_values(0x100, 16) + "\n";
    const struct {
        std::size_t length;
        std::string expected;
    } cases[] = {
        {0, "\n"},
        {1, "100 \n"},
        {8, "100 \n"},
        {20, "100 108 110 \n"},
        {120, zero_values(0x100, 15) + "\n"},
        {121, full},
        {127, full},
        {128, full + "\n"},
        {129, full + "180 \n"},
        {256, full + zero_values(0x180, 16) + "\n\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listing_of(bytes(c.length, 0), 0x100), c.expected) << c.length << " bytes";
}

// The plain way: one 128-byte block at a time, one formatted write
// per value. The listing must match it byte for byte at every length.
std::string block_by_block(const bytes& content, std::uint32_t address)
{
    std::string text;
    char value[8];
    for (std::size_t offset = 0;; offset += BLOCK_BYTES) {
        unsigned char block[BLOCK_BYTES] = {};
        const std::size_t n = std::min(BLOCK_BYTES, content.size() - offset);
        std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(offset), n, block);
        for (std::size_t g = 0; g < GROUPS_PER_LINE && g * GROUP_BYTES < n; ++g) {
            std::snprintf(value, sizeof value, "%03X ",
                          group_checksum(block + g * GROUP_BYTES, address));
            text += value;
            address += GROUP_BYTES;
        }
        text += '\n';
        if (n < BLOCK_BYTES)
            return text;
    }
}

TEST(ListChecksums, MatchesBlockByBlockListingAcrossReadSizes)
{
    std::mt19937 random(3);
    const std::size_t kib64 = 65536;
    // Lengths on and beside the read sizes too, where the read after a full
    // one finds nothing.
    constexpr std::size_t first = FIRST_READ_BYTES;
    for (std::size_t length :
         {first - 1, first, first + 1, first + LONG_READ_BYTES - 1, first + LONG_READ_BYTES,
          first + LONG_READ_BYTES + 1, kib64 - 1, kib64, kib64 + 1, 2 * kib64 + 121,
          3 * kib64 + 128, 5 * kib64 + 1000, 6 * kib64 + 7}) {
        bytes content(length);
        for (auto& b : content)
            b = static_cast<unsigned char>(random());
        const std::uint32_t address = random();
        ASSERT_EQ(listing_of(content, address), block_by_block(content, address))
            << length << " bytes from " << std::hex << address;
    }
    // Bytes of 0xFF just below the address wrap give the largest sums.
    const bytes full(2 * kib64 + 121, 0xFF);
    for (const std::uint32_t address : {0xFFFFFFFFu, 0xFFFFFF85u})
        ASSERT_EQ(listing_of(full, address), block_by_block(full, address)) << std::hex << address;
}

// Past the first read the reads grow; the addresses and bytes must run on
// across the change, through whole larger reads and a short last one.
TEST(ListChecksums, MatchesBlockByBlockListingWhereReadsGrow)
{
    bytes content(FIRST_READ_BYTES + 2 * LONG_READ_BYTES + 121);
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<unsigned char>(i ^ i >> 11);
    const std::uint32_t address = 0x12345678;
    const std::string listing = listing_of(content, address);
    const std::string expected = block_by_block(content, address);
    // The first difference, not a diff of half a megabyte of text.
    const auto [at, _] =
        std::mismatch(listing.begin(), listing.end(), expected.begin(), expected.end());
    EXPECT_EQ(listing.size(), expected.size());
    EXPECT_EQ(at - listing.begin(), static_cast<std::ptrdiff_t>(listing.size()))
        << "first difference in line " << std::count(listing.begin(), at, '\n') + 1;
}

#ifdef __GLIBC__
// A stream that delivers `good` bytes of 0x01 and then fails.
struct failing_source {
    std::size_t good;
};

ssize_t read_then_fail(void* cookie, char* buffer, std::size_t size)
{
    auto* source = static_cast<failing_source*>(cookie);
    if (source->good == 0)
        return -1;
    const std::size_t n = std::min(size, source->good);
    std::fill_n(buffer, n, 1);
    source->good -= n;
    return static_cast<ssize_t>(n);
}

// A writer that takes `room` bytes and then fails, as a full disk does.
ssize_t write_until_full(void* cookie, const char* /*text*/, std::size_t size)
{
    auto* room = static_cast<std::size_t*>(cookie);
    if (*room == 0)
        return -1;
    const std::size_t n = std::min(size, *room);
    *room -= n;
    return static_cast<ssize_t>(n);
}

int close_fails(void* /*cookie*/)
{
    return -1;
}
#endif

TEST(ListChecksums, ReadFailureKeepsOnlyWholeLines)
{
#ifndef __GLIBC__
    GTEST_SKIP() << "a stream that fails on demand needs glibc's fopencookie";
#else
    const std::size_t delivered[] = {0, 100, 128, 300, 131072 + 200};
    for (std::size_t good : delivered) {
        failing_source source{good};
        std::FILE* in = fopencookie(&source, "rb", {read_then_fail, nullptr, nullptr, nullptr});
        std::FILE* out = scratch_file();
        EXPECT_EQ(list_checksums(in, 0, out), listing_status::read_failed);
        const std::string text = read_back(out);
        const std::size_t whole = good / BLOCK_BYTES;
        const std::string expected = block_by_block(bytes(whole * BLOCK_BYTES, 1), 0);
        // The block-by-block listing ends with the empty line of a whole
        // length; the failed read gives no such line.
        EXPECT_EQ(text, expected.substr(0, expected.size() - 1)) << good << " bytes";
        std::fclose(in);
        std::fclose(out);
    }
#endif
}

TEST(ListChecksums, WriteFailureIsReported)
{
#ifndef __GLIBC__
    GTEST_SKIP() << "a stream that fails on demand needs glibc's fopencookie";
#else
    // Unbuffered, the write itself comes back short; buffered, a flush fails
    // mid-listing while the write that caused it is counted as done.
    const struct {
        std::size_t room;
        bool buffered;
    } cases[] = {{0, false}, {5000, true}};
    std::FILE* in = scratch_file();
    const bytes content(300000, 7);
    std::fwrite(content.data(), 1, content.size(), in);
    for (const auto& c : cases) {
        std::rewind(in);
        std::size_t room = c.room;
        std::FILE* out = fopencookie(&room, "w", {nullptr, write_until_full, nullptr, nullptr});
        if (!c.buffered)
            std::setvbuf(out, nullptr, _IONBF, 0);
        EXPECT_EQ(list_checksums(in, 0, out), listing_status::write_failed)
            << (c.buffered ? "buffered" : "unbuffered");
        std::fclose(out);
    }
    std::fclose(in);
#endif
}

// Standard output is closed at the end of a run, and a write that fails only
// then, in the flush of the close or in the close itself (as on some network
// file systems), is a failure.
TEST(CloseOutput, AFailureThatOnlyTheCloseReportsIsAFailure)
{
#ifndef __GLIBC__
    GTEST_SKIP() << "a stream that fails on demand needs glibc's fopencookie";
#else
    const struct {
        std::size_t room;
        cookie_close_function_t* close;
        bool expected;
    } cases[] = {{100, nullptr, true}, {100, close_fails, false}, {10, nullptr, false}};
    for (const auto& c : cases) {
        std::size_t room = c.room;
        std::FILE* out = fopencookie(&room, "w", {nullptr, write_until_full, nullptr, c.close});
        std::fputs("000 008 010 018 020\n", out);
        EXPECT_EQ(close_output(out), c.expected)
            << c.room << " bytes of room, the close " << (c.close ? "fails" : "works");
    }
#endif
}

} // namespace
} // namespace vantrel
