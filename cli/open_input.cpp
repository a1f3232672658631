#include "cli/open_input.hpp"

#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>

#include <array>
#include <cwchar>

#include "cli/long_path.hpp"
#endif

namespace vantrel {
namespace {

#ifdef _WIN32
// The longest path Windows handles, in UTF-16 units, and room for the
// longest extended-length prefix ("\\?\UNC\" in place of "\\").
constexpr DWORD LONGEST_PATH = 32767;
constexpr std::size_t EXTENDED_PREFIX = 6;

// A name whose full path is past the classic limit is opened in its
// extended-length form, which Windows takes whatever the long-path policy;
// shorter names are opened as given, so that nothing changes for them.
std::FILE* open_by_name(const wchar_t* name)
{
    std::array<wchar_t, LONGEST_PATH + 1> full;
    std::array<wchar_t, LONGEST_PATH + 1 + EXTENDED_PREFIX> extended;
    const DWORD length = GetFullPathNameW(name, full.size(), full.data(), nullptr);
    if (length >= MAX_PATH && length < full.size() &&
        to_extended_length_path({full.data(), length}, extended))
        return _wfopen(extended.data(), L"rb");
    return _wfopen(name, L"rb");
}

bool is_directory(std::FILE* file)
{
    struct _stat64 status;
    return _fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFDIR;
}
#else
std::FILE* open_by_name(const char* name)
{
    return std::fopen(name, "rb");
}

bool is_directory(std::FILE* file)
{
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
}
#endif

} // namespace

// A directory opens for reading on some systems and then fails every read;
// it is refused here so that it fails alike everywhere. The check looks at
// the file that was opened, not at the name, which may since name another.
std::FILE* open_input(const native_char* name)
{
    std::FILE* file = open_by_name(name);
    if (file != nullptr && is_directory(file)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

#ifdef _WIN32
file_version version_of(std::FILE* file)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info))
        return {};
    const auto size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    const auto written = static_cast<std::int64_t>(
        static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 |
        info.ftLastWriteTime.dwLowDateTime);
    return {true, true, size, written, static_cast<std::uint64_t>(_ftelli64(file))};
}
#else
file_version version_of(std::FILE* file)
{
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    // A file that gives bytes without holding any blocks of storage (those
    // under /proc and /sys) has a size the system makes up. WASI tells no
    // blocks, so there no size is taken as known.
    bool size_known = false;
#ifndef __wasi__
    size_known = status.st_blocks > 0;
#endif
    const std::int64_t modified =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return {true, size_known, static_cast<std::uint64_t>(status.st_size), modified,
            static_cast<std::uint64_t>(ftello(file))};
}
#endif

bool changed_since(const file_version& opened, const file_version& now)
{
    if (!opened.regular || !now.regular)
        return false;
    return now.size != opened.size || now.modified != opened.modified ||
           (now.size_known && now.position != now.size);
}

#ifdef _WIN32
// In pieces that never split a surrogate pair, so that a fixed buffer holds
// each piece in any code page (at most four bytes a unit).
void write_name(const wchar_t* name, std::FILE* out)
{
    constexpr int PIECE = 256;
    std::array<char, 4 * PIECE> narrow;
    for (std::size_t left = std::wcslen(name); left > 0;) {
        int units = left < PIECE ? static_cast<int>(left) : PIECE;
        if (units == PIECE && IS_HIGH_SURROGATE(name[units - 1]))
            --units;
        const int bytes = WideCharToMultiByte(CP_ACP, 0, name, units, narrow.data(),
                                              static_cast<int>(narrow.size()), nullptr, nullptr);
        std::fwrite(narrow.data(), 1, static_cast<std::size_t>(bytes > 0 ? bytes : 0), out);
        name += units;
        left -= static_cast<std::size_t>(units);
    }
}
#else
void write_name(const char* name, std::FILE* out)
{
    std::fputs(name, out);
}
#endif

} // namespace vantrel
