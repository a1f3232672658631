#include "cli/open_input.hpp"

#include <sys/stat.h>

namespace vantrel {
namespace {

#ifdef _WIN32
std::FILE* open_by_name(const char* name, const wchar_t* wide_name)
{
    return wide_name != nullptr ? _wfopen(wide_name, L"rb") : std::fopen(name, "rb");
}

bool is_directory(std::FILE* file)
{
    struct _stat64 status;
    return _fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFDIR;
}
#else
std::FILE* open_by_name(const char* name, const wchar_t*)
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
std::FILE* open_input(const char* name, const wchar_t* wide_name)
{
    std::FILE* file = open_by_name(name, wide_name);
    if (file != nullptr && is_directory(file)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

} // namespace vantrel
