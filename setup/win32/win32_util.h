// Small helpers of the utility's Windows side: text in the ANSI code page
// to and from UTF-16, the names of its handle owners, DPI scaling.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "common/win32/handle.h"

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

using UniqueFont = common::win32::UniqueGdiObject;
using UniqueBrush = common::win32::UniqueGdiObject;
using common::win32::UniqueIcon;
using common::win32::UniqueImageList;
using common::win32::UniqueMenu;

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
