#include "system_text.h"

#include <windows.h>

namespace trellup::win32 {

bool AnsiFromWide(const wchar_t* text, size_t length, std::string* out) {
    out->clear();
    if (length == 0) return true;
    const int n_in = static_cast<int>(length);
    // A UTF-8 ANSI code page (a Windows option) takes neither the flag nor
    // the used-default report; it holds every character but lone surrogates.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL used_default = FALSE;
    BOOL* used = utf8 ? nullptr : &used_default;
    int n = WideCharToMultiByte(CP_ACP, flags, text, n_in, nullptr, 0, nullptr, used);
    if (n > 0) {
        out->resize(static_cast<size_t>(n));
        n = WideCharToMultiByte(CP_ACP, flags, text, n_in, out->data(), n, nullptr, used);
    }
    if (n > 0) {
        out->resize(static_cast<size_t>(n));
        return !used_default;
    }
    // Not convertible as asked: the plain conversion, marked as not exact.
    n = WideCharToMultiByte(CP_ACP, 0, text, n_in, nullptr, 0, nullptr, nullptr);
    out->assign(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text, n_in, out->data(), n, nullptr, nullptr);
    return false;
}

std::string SystemErrorText(int32_t code) {
    char buffer[1024];
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                   static_cast<DWORD>(code), 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, n < sizeof buffer ? n : 0);
    // One line: inner line breaks become blanks, trailing ones go.
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (text.empty()) return "Error " + std::to_string(code) + ".";
    return text;
}

}  // namespace trellup::win32
