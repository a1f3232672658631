#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "cli/scan_address.hpp"

namespace vantrel {
namespace {

struct scan_case {
    std::string_view text;
    std::uint32_t expected;
};

TEST(ScanAddress, ReadsWhatAHexConversionReads)
{
    // clang-format off
    const scan_case cases[] = {
        {"100", 0x100},        {"0x100", 0x100},    {"0X100", 0x100},
        {" 100", 0x100},       {"\t\n100", 0x100},  {"\r\v\f100", 0x100},
        {"100h", 0x100},       {"FFF", 0xFFF},      {"fff", 0xFFF},
        {"aBc", 0xABC},        {"+10", 0x10},       {"-8", 0xFFFFFFF8},
        {"-0x10", 0xFFFFFFF0}, {"  -1", 0xFFFFFFFF},{"0", 0},
        {"0x", 0},             {"0xg", 0},          {"0x0x5", 0},
        {"zz", 0},             {"", 0},             {"-", 0},
        {"+-1", 0},            {"- 1", 0},          {"123456789", 0x23456789},
        {"FFFFFFFFFFFF1234", 0xFFFF1234},           {"ffffffff", 0xFFFFFFFF},
        {"100 200", 0x100},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(scan_address(c.text), c.expected) << '"' << c.text << '"';
}

} // namespace
} // namespace vantrel
