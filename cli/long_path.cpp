#include "cli/long_path.hpp"

#include <algorithm>

namespace vantrel {
namespace {

// A full path from the system uses backslashes only; the extended form
// takes no other separator.
bool is_separator(wchar_t c)
{
    return c == L'\\';
}

bool is_drive_path(std::wstring_view path)
{
    const bool letter = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') ||
                                             (path[0] >= L'a' && path[0] <= L'z'));
    return letter && path[1] == L':' && is_separator(path[2]);
}

// "\\server\share...", but not "\\?\..." or "\\.\..." (extended or device).
bool is_unc_path(std::wstring_view path)
{
    return path.size() > 2 && is_separator(path[0]) && is_separator(path[1]) && path[2] != L'?' &&
           path[2] != L'.' && !is_separator(path[2]);
}

bool write_joined(std::wstring_view prefix, std::wstring_view rest, std::span<wchar_t> out)
{
    if (prefix.size() + rest.size() >= out.size())
        return false;
    const auto end =
        std::copy(rest.begin(), rest.end(), std::copy(prefix.begin(), prefix.end(), out.begin()));
    *end = L'\0';
    return true;
}

} // namespace

bool to_extended_length_path(std::wstring_view full_path, std::span<wchar_t> out)
{
    if (is_drive_path(full_path))
        return write_joined(L"\\\\?\\", full_path, out);
    if (is_unc_path(full_path))
        return write_joined(L"\\\\?\\UNC\\", full_path.substr(2), out);
    return false;
}

} // namespace vantrel
