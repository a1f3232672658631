#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/scan_address.hpp"

namespace vantrel {
namespace {

struct scan_case {
    std::string_view text;
    std::uint32_t expected;
};

// ASCII text as Windows hands it over, one UTF-16 unit a character.
std::wstring widened(std::string_view text)
{
    return std::wstring(text.begin(), text.end());
}

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
    for (const auto& c : cases) {
        EXPECT_EQ(scan_address(c.text), c.expected) << '"' << c.text << '"';
        EXPECT_EQ(scan_address(widened(c.text)), c.expected) << "wide \"" << c.text << '"';
    }
}

// Full-width forms, as East Asian input methods type them, and letters whose
// UTF-16 units end in the byte of an ASCII digit are not digits, signs or
// white space, in UTF-8 and in UTF-16 alike.
TEST(ScanAddress, NoCharacterOutsideAsciiCounts)
{
    const std::string_view utf8[] = {"\uFF11\uFF10\uFF10", "\u3000100"};
    for (const auto text : utf8)
        EXPECT_EQ(scan_address(text), 0U) << text;
    const std::wstring_view utf16[] = {L"\uFF11\uFF10\uFF10",
                                       L"\uFF0D\uFF18",
                                       L"\uFF46\uFF46\uFF46",
                                       L"\uFF10\uFF58\uFF11\uFF10",
                                       L"\u3000100",
                                       L"\u0131\u0130\u0146",
                                       L"\u0A2D1"};
    for (const auto text : utf16)
        EXPECT_EQ(scan_address(text), 0U)
            << "UTF-16 units from " << std::hex << static_cast<unsigned>(text[0]);
}

} // namespace
} // namespace vantrel
