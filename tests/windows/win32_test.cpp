// The Windows layer on Windows itself, or under Wine: the process starter,
// code-page decoding and the collation.
#include "names_in_order.h"
#include "platform/win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

using platform::compare;
using platform::sortKey;

namespace {

std::u16string utf16(const char *utf8)
{
    return platform::decodeCodePage(CP_UTF8, utf8);
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

std::wstring folderOfThisProgram()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// The recorder's output, once it exists; empty after the timeout.
std::wstring waitForFile(const std::wstring &path, std::chrono::seconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            std::wstring text(GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
            DWORD read = 0;
            ReadFile(file, text.data(), DWORD(text.size() * sizeof(wchar_t)), &read, nullptr);
            CloseHandle(file);
            return text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

// The recorder's lines.
std::vector<std::wstring> lines(const std::wstring &text)
{
    std::vector<std::wstring> out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(L'\n', from)) != std::wstring::npos; from = at + 1)
        out.push_back(text.substr(from, at - from));
    if (!text.empty())
        out.push_back(text.substr(from));
    return out;
}

class StartMaximised : public ::testing::Test
{
protected:
    void SetUp() override
    {
        record =
            folderOfThisProgram() + L"recorded-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        DeleteFileW(record.c_str());
        SetEnvironmentVariableW(L"FAMESCOPE_RECORD", record.c_str());
    }
    void TearDown() override { DeleteFileW(record.c_str()); }

    std::wstring record;
};

} // namespace

TEST_F(StartMaximised, CommandLineArrivesUnchangedAndNobodyWaits)
{
    // As the web links build it: a program, a blank, the URL in quotes, here
    // with a query, an ampersand and a blank inside the quotes.
    const std::wstring program = folderOfThisProgram() + L"record_command_line.exe";
    const std::wstring line = program + L" \"http://www.vantorel.example/qz.html?a=1&b=x y\"";
    // The recorder waits for this event before it records: had the call
    // waited for the recorder, the event would come too late for it.
    const std::wstring goName =
        L"Local\\FamescopeRecordGo." + std::to_wstring(GetCurrentProcessId());
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, goName.c_str());
    ASSERT_NE(go, nullptr);
    SetEnvironmentVariableW(L"FAMESCOPE_RECORD_GO", goName.c_str());
    const bool started = platform::startMaximised(std::u16string(line.begin(), line.end()));
    SetEvent(go);
    SetEnvironmentVariableW(L"FAMESCOPE_RECORD_GO", nullptr);
    ASSERT_TRUE(started);
    const std::vector<std::wstring> recorded = lines(waitForFile(record, std::chrono::seconds(60)));
    CloseHandle(go);
    ASSERT_EQ(recorded.size(), 3u);
    EXPECT_EQ(recorded[0], line);
    // Its window is to show maximised and focused.
    EXPECT_EQ(recorded[1], L"flags=" + std::to_wstring(STARTF_USESHOWWINDOW) + L" show=" +
                               std::to_wstring(SW_SHOWMAXIMIZED));
    EXPECT_EQ(recorded[2], L"released");
}

TEST_F(StartMaximised, MissingProgramFailsSilently)
{
    const std::wstring line = folderOfThisProgram() + L"no_such_program.exe \"http://x\"";
    EXPECT_FALSE(platform::startMaximised(std::u16string(line.begin(), line.end())));
    EXPECT_FALSE(platform::startMaximised(u""));
}

TEST(RunningMark, LastsAsLongAsTheProcess)
{
    // What the installer asks before it replaces or removes the program.
    const auto isMarked = [](const wchar_t *name) {
        HANDLE mark = OpenMutexW(SYNCHRONIZE, FALSE, name);
        if (mark)
            CloseHandle(mark);
        return mark != nullptr;
    };
    const std::wstring name = L"Local\\FamescopeTest." + std::to_wstring(GetCurrentProcessId());
    EXPECT_FALSE(isMarked(name.c_str()));
    platform::markRunning(std::u16string(name.begin(), name.end()));
    EXPECT_TRUE(isMarked(name.c_str()));
    EXPECT_FALSE(isMarked(L"Local\\FamescopeTest.other"));
}

TEST(CodePage, Windows1252AllBytes)
{
    // 0x80 to 0x9F; the five bytes Windows-1252 leaves undefined map to the
    // control characters of the same value.
    const char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    const std::u16string text = platform::decodeCodePage(1252, bytes);
    ASSERT_EQ(text.size(), 256u);
    for (int b = 0; b < 256; ++b) {
        const char16_t expected = b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b);
        EXPECT_EQ(int(text[std::size_t(b)]), int(expected)) << "byte " << b;
    }
}

TEST(CodePage, Windows1251IsAnotherTable)
{
    std::string bytes;
    for (int b = 0xC0; b < 0x100; ++b)
        bytes += char(b);
    const std::u16string cyrillic = platform::decodeCodePage(1251, bytes);
    ASSERT_EQ(cyrillic.size(), 64u);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(int(cyrillic[std::size_t(i)]), 0x0410 + i);
    EXPECT_EQ(platform::decodeCodePage(1251, "\xA8\xB8\x80"), u"\u0401\u0451\u0402");
    EXPECT_EQ(platform::decodeCodePage(1251, ""), u"");
}

TEST(CodePage, TheProgramsPathUsesTheAnsiCodePage)
{
    // The tests pin the locale to en-US, whose ANSI code page is 1252.
    ASSERT_EQ(platform::ansiCodePage(), 1252u);
    EXPECT_EQ(platform::decodeCodePage(platform::ansiCodePage(), "Bj\xF6rk \x80"),
              u"Bj\u00F6rk \u20AC");
}

TEST(Collation, LetterCaseIsIgnored)
{
    EXPECT_EQ(compare(u"anna", u"ANNA"), 0);
    EXPECT_EQ(sortKey(u"anna"), sortKey(u"ANNA"));
    EXPECT_LT(compare(u"anna", u"ANNB"), 0);
    EXPECT_EQ(sortKey(u"x").find('\0'), std::string::npos);
}

TEST(Collation, SortsAsTheListDoes)
{
    std::vector<std::u16string> names;
    for (const char *name : kNamesInOrder)
        names.push_back(utf16(name));
    std::vector<std::u16string> shuffled = names;
    std::reverse(shuffled.begin(), shuffled.end());
    std::stable_sort(shuffled.begin(), shuffled.end(),
                     [](const auto &a, const auto &b) { return compare(a, b) < 0; });
    EXPECT_EQ(shuffled, names);
    std::stable_sort(shuffled.begin(), shuffled.end(),
                     [](const auto &a, const auto &b) { return sortKey(a) < sortKey(b); });
    EXPECT_EQ(shuffled, names);
}

TEST(Collation, TheWholeItemTextDecidesBeforeAccents)
{
    // List items, each the name, 500 blanks and the tail: the letters of the
    // whole text decide before an accent counts anywhere, so the dates come
    // between the two spellings of one name.
    const auto item = [](const char *name, const char *tail) {
        return utf16(name) + std::u16string(500, u' ') + utf16(tail);
    };
    const std::vector<std::u16string> expected = {
        item("Zo\xC3\xAB", ", 1 1 1900,1"), item("Zoe", ", 3 3 1900,1"),
        item("Zoe", ", 5 5 1900,1"), item("Zo\xC3\xAB", ", 9 9 1900,1")};
    const std::vector<std::u16string> inFileOrder = {expected[2], expected[0], expected[1],
                                                     expected[3]};
    std::vector<std::u16string> byCompare = inFileOrder;
    std::stable_sort(byCompare.begin(), byCompare.end(),
                     [](const auto &a, const auto &b) { return compare(a, b) < 0; });
    EXPECT_EQ(byCompare, expected);
    std::vector<std::u16string> byKey = inFileOrder;
    std::stable_sort(byKey.begin(), byKey.end(),
                     [](const auto &a, const auto &b) { return sortKey(a) < sortKey(b); });
    EXPECT_EQ(byKey, expected);
}

TEST(Collation, KeysAgreeWithCompareOnGeneratedNames)
{
    const char *first[] = {"Anna", "anna", "Émile",    "Emile", "Zoë",  "Zoe",  "Björn",  "Bjorn",
                           "José", "Jose", "Ångström", "Søren", "Mary", "MARY", "O'Brien"};
    const char *last[] = {"Smith",  "smith",        "Müller",         "Muller",         "Novák",
                          "Dubois", "van der Berg", "Hamilton-Smith", "Hamilton Smith", ""};
    std::mt19937 rng(20261208);
    std::vector<std::u16string> names;
    for (int i = 0; i < 3000; ++i) {
        names.push_back(utf16(first[rng() % std::size(first)]) + u' ' +
                        utf16(last[rng() % std::size(last)]));
    }
    int checked = 0;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        const int byKey = sign(sortKey(names[i]).compare(sortKey(names[i + 1])));
        ASSERT_EQ(byKey, sign(compare(names[i], names[i + 1]))) << "pair " << i;
        ++checked;
    }
    EXPECT_EQ(checked, 2999);
}

TEST(Collation, KeysDifferingPastSixteenBytesKeepTheirOrder)
{
    // The list keeps sixteen bytes of each key beside its entry and the rest
    // elsewhere: names alike in their first twenty letters.
    const std::u16string a = u"Alexander Hamilton-Smith";
    const std::u16string b = u"Alexander Hamilton-Smythe";
    const std::string ka = sortKey(a);
    const std::string kb = sortKey(b);
    ASSERT_GT(ka.size(), 16u);
    EXPECT_EQ(ka.compare(0, 16, kb, 0, 16), 0);
    EXPECT_LT(ka, kb);
    EXPECT_LT(compare(a, b), 0);
}
