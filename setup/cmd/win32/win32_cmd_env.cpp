#include "win32_cmd_env.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "common/win32/handle.h"
#include "kx_version.h"

namespace trellup::cmd::win32 {
namespace {

using common::win32::UniqueFile;

std::wstring ToWide(UINT code_page, DWORD flags, const std::string& text, bool* exact) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) {
        if (exact != nullptr) *exact = false;
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string FromWide(UINT code_page, const std::wstring& wide, bool* exact) {
    if (wide.empty()) return std::string();
    BOOL defaulted = FALSE;
    const DWORD flags = code_page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* used_default = code_page == CP_UTF8 ? nullptr : &defaulted;
    const int n = WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      used_default);
    if (n <= 0) {
        if (exact != nullptr) *exact = false;
        return std::string();
    }
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr,
                        used_default);
    if (defaulted && exact != nullptr) *exact = false;
    return text;
}

}  // namespace

std::wstring WideFromUtf8(const std::string& utf8) { return ToWide(CP_UTF8, 0, utf8, nullptr); }
std::string Utf8FromWide(const std::wstring& wide) { return FromWide(CP_UTF8, wide, nullptr); }

bool AnsiCodec::ToAnsi(const std::string& utf8, std::string* ansi) const {
    bool exact = true;
    const std::wstring wide = ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, &exact);
    if (!exact) return false;
    *ansi = FromWide(CP_ACP, wide, &exact);
    // Round trip: a code page that maps two characters to one byte is not exact.
    return exact && ToWide(CP_ACP, 0, *ansi, nullptr) == wide;
}

std::string AnsiCodec::ToUtf8(const std::string& ansi) const {
    return FromWide(CP_UTF8, ToWide(CP_ACP, 0, ansi, nullptr), nullptr);
}

ICmdEnv::FileResult Win32CmdEnv::ReadFile(const std::string& path, uint64_t max_bytes, std::string* content) {
    UniqueFile f(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (f.get() == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME
                   ? FileResult::NotFound
                   : FileResult::Unreadable;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.get(), &size)) return FileResult::Unreadable;
    if (static_cast<uint64_t>(size.QuadPart) > max_bytes) return FileResult::TooLarge;
    content->assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    if (!content->empty() &&
        (!::ReadFile(f.get(), content->data(), static_cast<DWORD>(content->size()), &done, nullptr) ||
         done != content->size())) {
        return FileResult::Unreadable;
    }
    return FileResult::Ok;
}

bool Win32CmdEnv::WriteFile(const std::string& path, const std::string& content, std::string* error) {
    UniqueFile f(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD done = 0;
    if (f.get() == INVALID_HANDLE_VALUE ||
        !::WriteFile(f.get(), content.data(), static_cast<DWORD>(content.size()), &done, nullptr) ||
        done != content.size()) {
        *error = "cannot be written (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

bool Win32CmdEnv::FileExists(const std::string& path) {
    const DWORD a = GetFileAttributesW(WideFromUtf8(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int64_t Win32CmdEnv::NowMs() { return static_cast<int64_t>(GetTickCount64()); }

std::string Win32CmdEnv::NowUtc() {
    SYSTEMTIME t;
    GetSystemTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

std::string Win32CmdEnv::Version() { return KX_VERSION_STRING; }

void Win32CmdEnv::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace trellup::cmd::win32
