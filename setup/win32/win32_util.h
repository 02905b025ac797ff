// Small helpers of the utility's Windows side: text in the ANSI code page
// to and from UTF-16, RAII owners of GDI objects and menus, DPI scaling.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>

namespace trellup::win32 {

// The utility keeps its texts in the ANSI code page; windows and COM take
// UTF-16.
std::wstring Wide(const std::string& text);
std::string Narrow(const wchar_t* text, int length = -1);
std::string Narrow(const std::wstring& text);
// UTF-16 to UTF-8, for files.
std::string Utf8(const std::wstring& text);

// The window's text, in the ANSI code page. *exact (when given) tells
// whether the code page holds every character of it.
std::string WindowText(HWND hwnd, bool* exact = nullptr);

template <typename T, BOOL(WINAPI* Free)(T)>
class UniqueGdi {
public:
    UniqueGdi() = default;
    explicit UniqueGdi(T h) : h_(h) {}
    ~UniqueGdi() { reset(); }
    UniqueGdi(UniqueGdi&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueGdi& operator=(UniqueGdi&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    UniqueGdi(const UniqueGdi&) = delete;
    UniqueGdi& operator=(const UniqueGdi&) = delete;

    T get() const { return h_; }
    void reset(T h = nullptr) {
        if (h_ != nullptr) Free(h_);
        h_ = h;
    }

private:
    T h_ = nullptr;
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ h) { return DeleteObject(h); }
using UniqueFont = UniqueGdi<HGDIOBJ, DeleteGdiObject>;
using UniqueBrush = UniqueGdi<HGDIOBJ, DeleteGdiObject>;
using UniqueMenu = UniqueGdi<HMENU, DestroyMenu>;
using UniqueIcon = UniqueGdi<HICON, DestroyIcon>;
using UniqueImageList = UniqueGdi<HIMAGELIST, ImageList_Destroy>;

// Pixels at 96 DPI to pixels of the screen.
class Dpi {
public:
    Dpi();
    int operator()(int pixels96) const { return MulDiv(pixels96, dpi_, 96); }
    int value() const { return dpi_; }

private:
    int dpi_;
};

}  // namespace trellup::win32
