// This program is linked with the generated famescope.rc, as the program is:
// it reads its own version record.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::vector<char> versionRecord()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::vector<char> record(size);
    if (size == 0 || !GetFileVersionInfoW(path, 0, size, record.data()))
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

} // namespace

TEST(VersionRecord, NamesTheProductItsMakerAndVersion)
{
    std::vector<char> record = versionRecord();
    ASSERT_FALSE(record.empty());

    void *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", &value, &length));
    const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(0, 1))); // 1.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);

    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const auto *translation = static_cast<const WORD *>(value);
    EXPECT_EQ(translation[0], 0x409);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(stringValue(record, L"ProductName"), L"Famescope!");
    EXPECT_EQ(stringValue(record, L"CompanyName"), L"Vantorel");
    EXPECT_EQ(stringValue(record, L"FileVersion"), L"1.00");
    EXPECT_EQ(stringValue(record, L"OriginalFilename"), L"famescope.exe");
}
