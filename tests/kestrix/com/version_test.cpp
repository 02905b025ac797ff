// The file version of Kestrix.dll, as installers and Explorer read it: the
// project's one version number, in the fixed part and in the strings.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com_fixture.h"
#include "kx_version.h"

namespace kestrix::test {
namespace {

std::wstring StringOf(std::vector<BYTE>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length)) return L"<missing>";
    return length > 0 ? std::wstring(static_cast<const wchar_t*>(value)) : std::wstring();
}

TEST(KestrixVersion, FileCarriesTheProjectVersion) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(KestrixDll().c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(KestrixDll().c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(KX_VERSION_MINOR, KX_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(KX_VERSION_BUILD, KX_VERSION_PATCH)));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    const std::string dotted = std::to_string(KX_VERSION_MAJOR) + "." + std::to_string(KX_VERSION_MINOR) + "." +
                               std::to_string(KX_VERSION_PATCH) + "." + std::to_string(KX_VERSION_BUILD);
    EXPECT_EQ(std::string(KX_VERSION_STRING), dotted);
    const std::wstring version(dotted.begin(), dotted.end());
    struct Row {
        const wchar_t* name;
        std::wstring value;
    } rows[] = {
        {L"FileVersion", version},
        {L"ProductVersion", version},
        {L"ProductName", L"Kestrix"},
        {L"InternalName", L"Kestrix"},
        {L"OriginalFilename", L"Kestrix.dll"},
        {L"FileDescription", L"Kestrix OPOS cash drawer service object"},
        {L"OLESelfRegister", L""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(StringOf(block, r.name), r.value) << std::string(r.name, r.name + wcslen(r.name));
}

}  // namespace
}  // namespace kestrix::test
