// Started by the process-starter test and, as explorer.exe, by the web links'
// test: writes what it was started with to the file that FAMESCOPE_RECORD
// names, as UTF-16 lines: its command line, then how it was asked to show its
// window ("flags=<dwFlags> show=<wShowWindow>" from GetStartupInfoW).
//
// When FAMESCOPE_RECORD_GO names an event, it first waits for its starter to
// set it (half a minute at most) and adds a third line, "released" or "timed
// out": a starter that waited for its child could set it only too late.
#include <windows.h>

#include <string>

int main()
{
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"FAMESCOPE_RECORD", path, MAX_PATH))
        return 1;
    std::wstring record = GetCommandLineW();
    STARTUPINFOW startup;
    GetStartupInfoW(&startup);
    record += L"\nflags=" + std::to_wstring(startup.dwFlags) + L" show=" +
              std::to_wstring(startup.wShowWindow);

    wchar_t go[MAX_PATH];
    if (GetEnvironmentVariableW(L"FAMESCOPE_RECORD_GO", go, MAX_PATH)) {
        HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, go);
        const bool released = event && WaitForSingleObject(event, 30000) == WAIT_OBJECT_0;
        if (event)
            CloseHandle(event);
        record += released ? L"\nreleased" : L"\ntimed out";
    }

    const std::wstring partial = std::wstring(path) + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, record.data(), DWORD(record.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    // Whole or not at all: the tests read the file once it exists.
    return MoveFileW(partial.c_str(), path) ? 0 : 1;
}
