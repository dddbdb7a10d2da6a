#include "winlaunch.h"

#include <windows.h>

#include <cwchar>
#include <vector>

bool startMaximised(const wchar_t *commandLine)
{
    // CreateProcessW may write into the command line, so it gets a copy.
    std::vector<wchar_t> line(commandLine, commandLine + std::wcslen(commandLine) + 1);

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMAXIMIZED; // 3

    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    // Nothing waits for the browser or keeps its id.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
