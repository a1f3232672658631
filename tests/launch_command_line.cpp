// Starts a Windows program with an exact command line, which no shell and no
// wine start-up would pass on unchanged, and gives back its exit status. The
// line is read from a file in UTF-8; the program is named apart, so the line
// may begin with anything at all.
// usage: launch_command_line PROGRAM.exe COMMAND-LINE-FILE
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool read_utf8_file(const wchar_t* name, std::wstring& text)
{
    std::FILE* file = _wfopen(name, L"rb");
    if (file == nullptr)
        return false;
    std::string bytes;
    char piece[4096];
    for (std::size_t n; (n = std::fread(piece, 1, sizeof piece, file)) > 0;)
        bytes.append(piece, n);
    std::fclose(file);
    const int size = static_cast<int>(bytes.size());
    text.resize(static_cast<std::size_t>(size));
    const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, text.data(), size);
    text.resize(static_cast<std::size_t>(units));
    return units > 0 || size == 0;
}

HANDLE inherited(DWORD which)
{
    HANDLE handle = GetStdHandle(which);
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return handle;
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    std::wstring line;
    if (argc != 3 || !read_utf8_file(argv[2], line)) {
        std::fputs("usage: launch_command_line PROGRAM.exe COMMAND-LINE-FILE\n", stderr);
        return 125;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inherited(STD_INPUT_HANDLE);
    startup.hStdOutput = inherited(STD_OUTPUT_HANDLE);
    startup.hStdError = inherited(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[1], line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start the program: error %lu\n", GetLastError());
        return 125;
    }
    DWORD status = 125;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
