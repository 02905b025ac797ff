#include "frame_window.h"

#include <string>

namespace trellup::win32 {
namespace {

// The font set with WM_SETFONT is kept in the window's extra bytes.
constexpr int kFontSlot = 0;

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));

    HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrW(hwnd, kFontSlot));
    HGDIOBJ old_font = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);

    RECT edge = rc;
    edge.top += tm.tmHeight / 2;
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);

    const int length = GetWindowTextLengthW(hwnd);
    if (length > 0) {
        std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(hwnd, caption.data(), length + 1);
        caption.resize(static_cast<size_t>(length));
        SIZE size;
        GetTextExtentPoint32W(dc, caption.c_str(), length, &size);
        RECT text{8, 0, 8 + size.cx + 4, tm.tmHeight};
        FillRect(dc, &text, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        text.left += 2;
        DrawTextW(dc, caption.c_str(), length, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, old_font);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM: return SendMessageW(GetParent(hwnd), msg, wp, lp);
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
        SetWindowLongPtrW(hwnd, kFontSlot, static_cast<LONG_PTR>(wp));
        if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return GetWindowLongPtrW(hwnd, kFontSlot);
    case WM_SETTEXT:
    case WM_ENABLE: {
        const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

bool RegisterFrameClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FrameProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kFrameClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace trellup::win32
