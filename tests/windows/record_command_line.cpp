// Started by the process-starter test: writes the command line it received,
// as UTF-16, to the file that FAMESCOPE_RECORD names, a second after it
// started, so that the test can tell that nobody waited for it.
#include <windows.h>

#include <string>

int main()
{
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"FAMESCOPE_RECORD", path, MAX_PATH))
        return 1;
    const std::wstring line = GetCommandLineW();
    Sleep(1000);
    const std::wstring partial = std::wstring(path) + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, line.data(), DWORD(line.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    // Whole or not at all: the test reads the file once it exists.
    return MoveFileW(partial.c_str(), path) ? 0 : 1;
}
