#include "win32.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

#include <vector>

namespace platform {

namespace {

// wchar_t is 16 bits wide on Windows: the same code units.
LPCWSTR wide(std::u16string_view text)
{
    return reinterpret_cast<LPCWSTR>(text.data());
}

} // namespace

bool startMaximised(std::u16string_view commandLine)
{
    // CreateProcessW may write into the command line, so it gets a copy.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');

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

void markRunning(std::u16string_view name)
{
    const std::u16string zeroEnded(name);
    // The handle stays open until the process ends, which closes it.
    CreateMutexW(nullptr, FALSE, wide(zeroEnded));
}

namespace {
UINT consoleCodePage = 0;
} // namespace

void writeUtf8Output()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit([] { SetConsoleOutputCP(consoleCodePage); });
}

unsigned ansiCodePage()
{
    return GetACP();
}

std::u16string decodeCodePage(unsigned codePage, std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::u16string text(std::size_t(n), u'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()),
                        reinterpret_cast<LPWSTR>(text.data()), n);
    return text;
}

namespace {

// A locale name as the system takes it: the user's when empty.
struct LocaleName
{
    explicit LocaleName(std::u16string_view locale) : name(locale) {}
    LPCWSTR get() const { return name.empty() ? LOCALE_NAME_USER_DEFAULT : wide(name); }
    std::u16string name; // ends in a zero, as the system wants it
};

} // namespace

std::string sortKey(std::u16string_view text, std::u16string_view locale)
{
    const LocaleName name(locale);
    const DWORD flags = LCMAP_SORTKEY | LINGUISTIC_IGNORECASE;
    const int n = LCMapStringEx(name.get(), flags, wide(text), int(text.size()), nullptr, 0,
                                nullptr, nullptr, 0);
    if (n <= 0)
        return {};
    std::string key(std::size_t(n), '\0');
    LCMapStringEx(name.get(), flags, wide(text), int(text.size()),
                  reinterpret_cast<LPWSTR>(key.data()), n, nullptr, nullptr, 0);
    // The key ends in a zero byte, which is no part of the order.
    while (!key.empty() && key.back() == '\0')
        key.pop_back();
    return key;
}

int compare(std::u16string_view a, std::u16string_view b, std::u16string_view locale)
{
    const LocaleName name(locale);
    const int r = CompareStringEx(name.get(), LINGUISTIC_IGNORECASE, wide(a), int(a.size()),
                                  wide(b), int(b.size()), nullptr, nullptr, 0);
    return r == 0 ? 0 : r - CSTR_EQUAL;
}

} // namespace platform
