#include "log_list.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "common/win32/window_base.h"
#include "resource_ids.h"
#include "win32_util.h"

namespace trellup::win32 {
namespace {

LogClock Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return LogClock{t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

// Owns a clipboard opened for this window.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardScope() {
        if (open_) CloseClipboard();
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    bool open() const { return open_; }

private:
    bool open_;
};

}  // namespace

LogList::LogList(HWND list, std::function<void()> clear, std::function<LogFileHeader()> header)
    : list_(list), clear_(std::move(clear)), header_(std::move(header)) {
    const int count = static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        added_.push_back(Now());
        Widen(Line(i));
    }
    common::win32::Subclass<&LogList::OnMessage>(list_, this);
}

LogList::~LogList() {
    if (IsWindow(list_)) common::win32::Unsubclass<&LogList::OnMessage>(list_, this);
}

std::wstring LogList::Line(int index) const {
    const LRESULT n = SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got =
        SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

int LogList::TextWidth(const std::wstring& text) const {
    HDC dc = GetDC(list_);
    if (dc == nullptr) return 0;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list_, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list_, dc);
    // The list box draws its text a few pixels in from the left.
    return size.cx + 2 * GetSystemMetrics(SM_CXEDGE) + 4;
}

void LogList::Widen(const std::wstring& text) {
    const int width = TextWidth(text);
    if (width <= extent_) return;
    extent_ = width;
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent_), 0);
}

bool LogList::Copy(bool all) const {
    std::vector<int> lines;
    const int count = static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (all || SendMessageW(list_, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) lines.push_back(i);
    }
    if (lines.empty()) return false;
    std::wstring text;
    for (int i : lines) text += Line(i) + L"\r\n";
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) return false;
    if (void* p = GlobalLock(memory)) {
        memcpy(p, text.c_str(), bytes);
        GlobalUnlock(memory);
    }
    ClipboardScope clipboard(list_);
    if (!clipboard.open() || !EmptyClipboard() || SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        GlobalFree(memory);
        return false;
    }
    return true;  // the clipboard owns the memory now
}

bool LogList::SaveTo(const std::wstring& path) const {
    LogFileHeader header = header_ ? header_() : LogFileHeader{};
    SYSTEMTIME today;
    GetLocalTime(&today);
    header.year = today.wYear;
    header.month = today.wMonth;
    header.day = today.wDay;
    std::vector<TimedLogLine> lines;
    const int count = static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LogClock added = static_cast<size_t>(i) < added_.size() ? added_[static_cast<size_t>(i)] : Now();
        lines.push_back(TimedLogLine{added, Utf8(Line(i))});
    }
    const std::string text = LogFileText(header, lines);

    const std::wstring temporary = path + L".part";
    common::win32::UniqueFile file(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size() && FlushFileBuffers(file.get());
    file.reset();
    if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

bool LogList::SaveAs() const {
    wchar_t path[MAX_PATH] = L"Trellup log.txt";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetAncestor(list_, GA_ROOT);
    ofn.lpstrFilter = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetSaveFileNameW(&ofn)) return false;
    if (SaveTo(path)) return true;
    MessageBoxW(ofn.hwndOwner, (std::wstring(L"The log could not be saved to ") + path + L".").c_str(), L"Trellup",
                MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void LogList::ShowMenu(int x, int y) {
    const int count = static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
    const bool selected = SendMessageW(list_, LB_GETSELCOUNT, 0, 0) > 0;
    if (x == -1 && y == -1) {
        RECT rc{};
        const LRESULT caret = SendMessageW(list_, LB_GETCARETINDEX, 0, 0);
        if (caret == LB_ERR ||
            SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(caret), reinterpret_cast<LPARAM>(&rc)) == LB_ERR) {
            GetClientRect(list_, &rc);
            rc.bottom = rc.top;
        }
        POINT pt{rc.left + 8, rc.bottom};
        ClientToScreen(list_, &pt);
        x = pt.x;
        y = pt.y;
    }
    UniqueMenu menu(CreatePopupMenu());
    if (menu.get() == nullptr) return;
    const UINT any = count > 0 ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu.get(), MF_STRING | (selected ? MF_ENABLED : MF_GRAYED), IDM_Log_Copy, L"&Copy\tCtrl+C");
    AppendMenuW(menu.get(), MF_STRING | any, IDM_Log_Copy_All, L"Copy &All");
    AppendMenuW(menu.get(), MF_STRING | any, IDM_Log_Save_As, L"&Save As...");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING | any, IDM_Log_Clear, L"C&lear");
    HWND owner = GetAncestor(list_, GA_ROOT);
    SetForegroundWindow(owner);
    const UINT cmd = static_cast<UINT>(TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    switch (cmd) {
    case IDM_Log_Copy: Copy(false); break;
    case IDM_Log_Copy_All: Copy(true); break;
    case IDM_Log_Save_As: SaveAs(); break;
    case IDM_Log_Clear:
        if (clear_) clear_();
        break;
    default: break;
    }
}

LRESULT LogList::OnMessage(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case LB_ADDSTRING: {
        const LRESULT index = DefSubclassProc(list_, msg, wp, lp);
        if (index >= 0) {
            added_.insert(added_.begin() + std::min<size_t>(static_cast<size_t>(index), added_.size()), Now());
            Widen(reinterpret_cast<const wchar_t*>(lp));
        }
        return index;
    }
    case LB_RESETCONTENT:
        added_.clear();
        extent_ = 0;
        SendMessageW(list_, LB_SETHORIZONTALEXTENT, 0, 0);
        return DefSubclassProc(list_, msg, wp, lp);
    case WM_SETFONT: {
        const LRESULT r = DefSubclassProc(list_, msg, wp, lp);
        extent_ = 0;
        const int count = static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) Widen(Line(i));
        return r;
    }
    case WM_KEYDOWN:
        if (wp == 'C' && GetKeyState(VK_CONTROL) < 0) {
            Copy(false);
            return 0;
        }
        if (wp == VK_APPS) {
            ShowMenu(-1, -1);
            return 0;
        }
        break;
    case WM_SYSKEYDOWN:
        if (wp == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
            ShowMenu(-1, -1);
            return 0;
        }
        break;
    case WM_CONTEXTMENU: ShowMenu(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    default: break;
    }
    return DefSubclassProc(list_, msg, wp, lp);
}

}  // namespace trellup::win32
