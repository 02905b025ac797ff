#include "win32_util.h"

#include <vector>

#include "system_text.h"

namespace trellup::win32 {

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const wchar_t* text, int length) {
    if (text == nullptr || length == 0) return std::string();
    if (length < 0) length = static_cast<int>(wcslen(text));
    if (length == 0) return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

std::string Narrow(const std::wstring& text) { return Narrow(text.c_str(), static_cast<int>(text.size())); }

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string WindowText(HWND hwnd, bool* exact) {
    const int n = GetWindowTextLengthW(hwnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(n) + 1);
    const int got = GetWindowTextW(hwnd, buffer.data(), n + 1);
    if (exact != nullptr) {
        std::string checked;
        *exact = AnsiFromWide(buffer.data(), static_cast<size_t>(got > 0 ? got : 0), &checked);
    }
    return Narrow(buffer.data(), got);
}

Dpi::Dpi() {
    HDC dc = GetDC(nullptr);
    dpi_ = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc != nullptr) ReleaseDC(nullptr, dc);
    if (dpi_ <= 0) dpi_ = 96;
}

}  // namespace trellup::win32
