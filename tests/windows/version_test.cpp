// The two programs' version records and the window's icon, read from the
// built files as Explorer reads them.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

std::wstring wide(const char *utf8)
{
    std::wstring text(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), int(text.size()));
    text.pop_back();
    return text;
}

std::vector<char> versionRecord(const std::wstring &path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<char> record(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, record.data()))
        record.clear();
    return record;
}

std::wstring stringValue(std::vector<char> &record, const wchar_t *name)
{
    void *value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(record.data(), key.c_str(), &value, &length) || length == 0)
        return {};
    return std::wstring(static_cast<const wchar_t *>(value), length - 1);
}

struct Program
{
    const char *path;
    const wchar_t *fileName;
    const char *name; // the test's name for it
};

// How GoogleTest names the parameter in its output and CTest's list.
void PrintTo(const Program &program, std::ostream *out)
{
    *out << program.name;
}

class VersionRecord : public ::testing::TestWithParam<Program>
{};

} // namespace

TEST_P(VersionRecord, NamesTheProductItsMakerAndVersion)
{
    std::vector<char> record = versionRecord(wide(GetParam().path));
    ASSERT_FALSE(record.empty());

    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", &value, &length));
    const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(0, 1))); // 1.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, DWORD(MAKELONG(0, 1)));

    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const auto *translation = static_cast<const WORD *>(value);
    EXPECT_EQ(translation[0], 0x409); // English (United States)
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(stringValue(record, L"ProductName"), L"Famescope!");
    EXPECT_EQ(stringValue(record, L"CompanyName"), L"Vantorel");
    EXPECT_EQ(stringValue(record, L"FileVersion"), L"1.00");
    EXPECT_EQ(stringValue(record, L"ProductVersion"), L"1.00");
    EXPECT_EQ(stringValue(record, L"OriginalFilename"), GetParam().fileName);
}

// The manifest Windows reads before it starts the program: it runs as the
// user who starts it, and it is made for Windows 10 and 11.
TEST_P(VersionRecord, DeclaresItRunsAsTheUserOnWindows10And11)
{
    HMODULE program = LoadLibraryExW(wide(GetParam().path).c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    // CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const auto *text = static_cast<const char *>(LockResource(LoadResource(program, found)));
    ASSERT_NE(text, nullptr);
    const std::string manifest(text, SizeofResource(program, found));
    EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="asInvoker")"), std::string::npos);
    EXPECT_NE(manifest.find(R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)"),
              std::string::npos);
    EXPECT_EQ(manifest.find("activeCodePage"), std::string::npos);
    FreeLibrary(program);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, VersionRecord,
    ::testing::Values(Program{FAMESCOPE_PROGRAM, L"famescope.exe", "famescope"},
                      Program{FAMESCOPE_DB_TOOL, L"famescope-db.exe", "famescope_db"}),
    [](const ::testing::TestParamInfo<Program> &info) { return std::string(info.param.name); });

TEST(Icon, TheWindowProgramCarriesTheIconInItsSizes)
{
    HMODULE program = LoadLibraryExW(wide(FAMESCOPE_PROGRAM).c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    // The first icon group is the one Explorer shows.
    HRSRC group = FindResourceW(program, L"IDI_ICON1", MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto *dir = static_cast<const WORD *>(LockResource(LoadResource(program, group)));
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(dir[1], 1); // an icon, not a cursor
    EXPECT_GE(dir[2], 3); // images: 32 by 32 in 2 and in 16 colours, 16 by 16
    const HICON icon =
        static_cast<HICON>(LoadImageW(program, L"IDI_ICON1", IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    EXPECT_NE(icon, nullptr);
    DestroyIcon(icon);
    FreeLibrary(program);
}
