#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

#include "cli/long_path.hpp"

namespace vantrel {
namespace {

TEST(ExtendedLengthPath, DrivePathsAndNetworkSharesGetTheirPrefix)
{
    const struct {
        std::wstring_view full_path;
        std::wstring_view expected; // empty: the path has no extended form
    } cases[] = {
        {L"C:\\dir\\file.bin", L"\\\\?\\C:\\dir\\file.bin"},
        {L"z:\\", L"\\\\?\\z:\\"},
        {L"\\\\server\\share\\file.bin", L"\\\\?\\UNC\\server\\share\\file.bin"},
        {L"\\\\?\\C:\\file.bin", L""},
        {L"\\\\?\\UNC\\server\\share\\file.bin", L""},
        {L"\\\\.\\pipe\\name", L""},
        {L"\\\\.\\COM1", L""},
        {L"C:file.bin", L""},
        {L"C:/dir/file.bin", L""},
        {L"\\dir\\file.bin", L""},
        {L"dir\\file.bin", L""},
        {L"\\\\\\x", L""},
        {L"1:\\x", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        std::array<wchar_t, 64> out;
        out.fill(L'#');
        const bool converted = to_extended_length_path(c.full_path, out);
        EXPECT_EQ(converted, !c.expected.empty()) << std::wstring(c.full_path).size();
        if (converted)
            EXPECT_EQ(std::wstring_view(out.data()), c.expected);
        else
            EXPECT_EQ(out[0], L'#') << "wrote although it did not convert";
    }
}

// A path of the longest length Windows takes, 32767 units, fits a buffer of
// that size plus the prefix, and not one unit less.
TEST(ExtendedLengthPath, RefusesWhatDoesNotFit)
{
    std::wstring drive(32767, L'a');
    drive.replace(0, 3, L"C:\\");
    std::wstring share(32767, L'b');
    share.replace(0, 2, L"\\\\");
    const struct {
        const std::wstring& path;
        std::size_t prefix;
    } cases[] = {{drive, 4}, {share, 6}};
    for (const auto& c : cases) {
        std::wstring out(c.path.size() + c.prefix + 1, L'#');
        EXPECT_TRUE(to_extended_length_path(c.path, {out.data(), out.size()}));
        EXPECT_EQ(out.back(), L'\0');
        EXPECT_FALSE(to_extended_length_path(c.path, {out.data(), out.size() - 1}));
    }
}

} // namespace
} // namespace vantrel
