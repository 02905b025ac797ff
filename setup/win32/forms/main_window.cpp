#include "main_window.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "command_runner.h"
#include "frame_window.h"
#include "resource_ids.h"

namespace trellup::win32 {
namespace {

// The DPI of the monitor a window is on; the system DPI where the system
// does not tell it per window.
int WindowDpi(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto get = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (get != nullptr && hwnd != nullptr) {
        if (const UINT dpi = get(hwnd); dpi != 0) return static_cast<int>(dpi);
    }
    return Dpi().value();
}

RECT WorkAreaOf(HWND hwnd) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = hwnd != nullptr ? MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST)
                                       : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (GetMonitorInfoW(monitor, &info)) return info.rcWork;
    RECT rc{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_CONTROLPARENT;

// The window size for a client size at the window's DPI.
SIZE WindowSizeFor(SIZE client) {
    RECT rc{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&rc, kMainStyle, FALSE, kMainExStyle);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace

MainWindow::MainWindow(frmMain& form, Win32Shell& shell, HINSTANCE instance)
    : form_(form), shell_(shell), instance_(instance) {}

MainWindow::~MainWindow() {
    runner_.reset();
    log_.reset();
    form_.TreeView1.SetHitTest(nullptr);
    binder_.reset();
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool MainWindow::Create() {
    if (!RegisterFrameClass(instance_)) return false;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance_;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 32, 32, 0));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kMainClass;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    dpi_ = Dpi().value();
    const SIZE client = MainClientSize();
    const SIZE size = WindowSizeFor(SIZE{Scale(client.cx), Scale(client.cy)});
    hwnd_ = CreateWindowExW(kMainExStyle, kMainClass, L"", kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy,
                            nullptr, nullptr, instance_, this);
    if (hwnd_ == nullptr) return false;
    dpi_ = WindowDpi(hwnd_);
    runner_ = std::make_unique<CommandRunner>(hwnd_);
    const Dpi dpi;

    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, dpi(420));
    binder_ = std::make_unique<ControlBinder>(tooltip_);
    binder_->Bind(form_.Form, hwnd_, ControlKind::Title, nullptr);
    binder_->SetWindowEnabler(CommandRunner::EnableWindowFor);
    binder_->SetPlacer([this](HWND frame, int x, int y) { PlaceFrame(frame, x, y); });

    CreateFont();
    CreateImages();
    CreateControls();
    ReadingOrder();
    if (HWND list = binder_->WindowOf(form_.List1)) {
        log_ = std::make_unique<LogList>(
            list, [this] { form_.List1.Clear(); },
            [this] {
                LogFileHeader h;
                h.device = Utf8(Wide(form_.lblDeviceName.Caption()));
                h.program = Utf8(Wide(WindowText(hwnd_)));
                h.bits = static_cast<int>(sizeof(void*) * 8);
                return h;
            });
    }
    Place();
    FitInWorkArea();
    shell_.Attach(hwnd_, tree_, MainMenuIds(form_));
    form_.TreeView1.SetHitTest([this](int x, int y) {
        TVHITTESTINFO ht{};
        ht.pt = POINT{x, y};
        HTREEITEM item = TreeView_HitTest(tree_, &ht);
        return item != nullptr && (ht.flags & TVHT_ONITEM) ? binder_->NodeOf(item) : TreeViewModel::kNone;
    });
    return true;
}

void MainWindow::CreateImages() {
    const Dpi dpi;
    const int small = dpi(16);
    tree_images_.reset(ImageList_Create(small, small, ILC_COLOR32 | ILC_MASK, kTreeImageCount, 0));
    for (int i = 0; i < kTreeImageCount; ++i) {
        HICON icon = static_cast<HICON>(
            LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TREE_FIRST + i), IMAGE_ICON, small, small, 0));
        ImageList_AddIcon(tree_images_.get(), icon);
        if (icon != nullptr) DestroyIcon(icon);
    }
}

void MainWindow::CreateControls() {
    controls_ = std::make_unique<FormWindow>(instance_, *binder_,
                                             [this](const std::function<void()>& action) { runner_->Run(action); });
    controls_->Create(
        hwnd_, MainForm(form_), [dpi = Dpi()](int pixels) { return dpi(pixels); }, static_cast<HFONT>(font_.get()),
        [this](const FormRow& row, HWND control) {
            if (row.kind != ControlKind::TreeView) return;
            tree_ = control;
            TreeView_SetImageList(control, tree_images_.get(), TVSIL_NORMAL);
            common::win32::Subclass<&MainWindow::OnTreeMessage>(control, this);
        });
}

void MainWindow::CreateFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
    // The system gives the font at the system DPI; the window may be on a
    // monitor of another.
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi_, Dpi().value());
    font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
}

void MainWindow::Place() {
    if (placing_ || hwnd_ == nullptr || controls_ == nullptr) return;
    placing_ = true;
    const SIZE least{Scale(MainMinimumClientSize().cx), Scale(MainMinimumClientSize().cy)};
    RECT rc{};
    // Showing or hiding a scroll bar changes the client area: twice settles it.
    for (int pass = 0; pass < 2; ++pass) {
        GetClientRect(hwnd_, &rc);
        scroll_.x = std::clamp<LONG>(scroll_.x, 0, std::max<LONG>(0, least.cx - rc.right));
        scroll_.y = std::clamp<LONG>(scroll_.y, 0, std::max<LONG>(0, least.cy - rc.bottom));
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMax = least.cx - 1;
        si.nPage = static_cast<UINT>(rc.right);
        si.nPos = scroll_.x;
        SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
        si.nMax = least.cy - 1;
        si.nPage = static_cast<UINT>(rc.bottom);
        si.nPos = scroll_.y;
        SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
    }
    GetClientRect(hwnd_, &rc);
    const int width = std::max<int>(rc.right, least.cx);
    for (const FormWindow::Placed& p : controls_->placed()) {
        const FormRow& e = *p.row;
        int x = Scale(e.x), y = Scale(e.y), w = Scale(e.w), h = Scale(e.h);
        // A frame the form moves is where its model says.
        const auto* frame = e.parent == 0 ? dynamic_cast<const Frame*>(e.model) : nullptr;
        if (frame != nullptr && frame->Left() >= 0) {
            x = Scale(frame->Left());
            y = Scale(frame->Top());
        }
        // The tree and the log end at the bottom of what is in view.
        if (e.grow != Grow::None) h = std::max(Scale(40), static_cast<int>(rc.bottom) - y - Scale(8));
        if (e.grow == Grow::RightDown) w = std::max(Scale(40), width - x - Scale(8));
        if (e.parent == 0) {
            x -= scroll_.x;
            y -= scroll_.y;
        }
        SetWindowPos(p.hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    placing_ = false;
}

void MainWindow::PlaceFrame(HWND frame, int x96, int y96) {
    SetWindowPos(frame, nullptr, Scale(x96) - scroll_.x, Scale(y96) - scroll_.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::OnScroll(int bar, WPARAM wp) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    if (!GetScrollInfo(hwnd_, bar, &si)) return;
    int pos = si.nPos;
    switch (LOWORD(wp)) {
    case SB_LINEUP: pos -= Scale(16); break;
    case SB_LINEDOWN: pos += Scale(16); break;
    case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
    }
    (bar == SB_HORZ ? scroll_.x : scroll_.y) = pos;
    Place();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::OnMinMaxInfo(MINMAXINFO* info) const {
    // Every panel shows at the least size; where the work area is smaller,
    // the window fits it and scrolls.
    const RECT work = WorkAreaOf(hwnd_);
    SIZE least = WindowSizeFor(SIZE{Scale(MainMinimumClientSize().cx), Scale(MainMinimumClientSize().cy)});
    // A scroll bar that the other direction needs takes room of its own.
    if (least.cy > work.bottom - work.top) least.cx += GetSystemMetrics(SM_CXVSCROLL);
    if (least.cx > work.right - work.left) least.cy += GetSystemMetrics(SM_CYHSCROLL);
    info->ptMinTrackSize.x = std::min<LONG>(least.cx, work.right - work.left);
    info->ptMinTrackSize.y = std::min<LONG>(least.cy, work.bottom - work.top);
}

void MainWindow::FitInWorkArea() {
    const RECT work = WorkAreaOf(hwnd_);
    RECT rc{};
    GetWindowRect(hwnd_, &rc);
    const LONG w = std::min(rc.right - rc.left, work.right - work.left);
    const LONG h = std::min(rc.bottom - rc.top, work.bottom - work.top);
    const LONG x = std::clamp(rc.left, work.left, work.right - w);
    const LONG y = std::clamp(rc.top, work.top, work.bottom - h);
    if (x != rc.left || y != rc.top || w != rc.right - rc.left || h != rc.bottom - rc.top) {
        SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::ReadingOrder() {
    // The test frames share one place below the picture buttons: in reading
    // (and Tab) order they come right after the last of those.
    HWND after = nullptr;
    for (const FormWindow::Placed& p : controls_->placed()) {
        if (p.row->kind == ControlKind::Picture && p.row->clicked) after = p.hwnd;
    }
    for (const FormWindow::Placed& p : controls_->placed()) {
        const FormRow& e = *p.row;
        const bool test_frame =
            e.kind == ControlKind::Frame && e.parent == 0 && e.x == kTestFrameLeft && e.y == kTestFrameTop;
        if (!test_frame || after == nullptr) continue;
        SetWindowPos(p.hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = p.hwnd;
    }
}

void MainWindow::ShowTreeMenuAtSelection() {
    // The menu of the selected node, at the node, as a right click there
    // would open it; without a selection, the menu of empty space.
    RECT rc{};
    HTREEITEM item = TreeView_GetSelection(tree_);
    POINT pt{Scale(4), Scale(4)};
    if (item != nullptr && TreeView_GetItemRect(tree_, item, &rc, TRUE)) {
        pt = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    } else {
        GetClientRect(tree_, &rc);
        pt = POINT{rc.right / 2, rc.bottom - Scale(4)};
    }
    const int shift = GetKeyState(VK_SHIFT) < 0 ? 1 : 0;
    runner_->Run([&] { form_.TreeView1_MouseUp(2, shift, pt.x, pt.y); });
}

LRESULT MainWindow::OnTreeMessage(HWND tree, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_KEYDOWN:
        if (wp == VK_APPS) return 0;  // the menu opens when the key goes up
        break;
    case WM_KEYUP:
        if (wp == VK_APPS) {
            ShowTreeMenuAtSelection();
            return 0;
        }
        break;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (wp == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
            if (msg == WM_SYSKEYDOWN) ShowTreeMenuAtSelection();
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
        // From the keyboard (a right click has opened its menu already).
        if (lp == -1) ShowTreeMenuAtSelection();
        return 0;
    default: break;
    }
    return DefSubclassProc(tree, msg, wp, lp);
}

bool MainWindow::PreTranslate(MSG* msg) { return hwnd_ != nullptr && IsDialogMessageW(hwnd_, msg); }

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        // Menu commands (from no control) are the shell's.
        if (lp != 0 && binder_ != nullptr && controls_ != nullptr) {
            controls_->OnCommand(reinterpret_cast<HWND>(lp), LOWORD(wp), HIWORD(wp));
        }
        return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<const NMHDR*>(lp));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (binder_ != nullptr) {
            if (HBRUSH brush = binder_->Background(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp))) {
                return reinterpret_cast<LRESULT>(brush);
            }
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    case WM_SIZE: Place(); return 0;
    case WM_GETMINMAXINFO: OnMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp)); return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lp == 0) OnScroll(msg == WM_HSCROLL ? SB_HORZ : SB_VERT, wp);
        return 0;
    case WM_DPICHANGED: {
        // Dragged to a monitor of another DPI: fonts and places anew, in
        // the size the system suggests.
        dpi_ = HIWORD(wp);
        CreateFont();
        if (controls_) {
            for (const FormWindow::Placed& p : controls_->placed())
                SendMessageW(p.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
        }
        const RECT* suggested = reinterpret_cast<const RECT*>(lp);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        Place();
        return 0;
    }
    case WM_SETCURSOR:
        // A command that takes its time shows it.
        if (runner_ != nullptr && runner_->Running()) {
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    case WM_CLOSE:
        // A command still running (a control object dispatching messages
        // while it works) ends first.
        if (runner_ != nullptr && runner_->DeferClose()) return 0;
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

LRESULT MainWindow::OnNotify(const NMHDR* hdr) {
    if (hdr == nullptr || hdr->hwndFrom != tree_ || binder_ == nullptr) return 0;
    const DWORD pos = GetMessagePos();
    POINT pt{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    ScreenToClient(tree_, &pt);
    const int shift = (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                      (GetKeyState(VK_MENU) < 0 ? 4 : 0);
    switch (hdr->code) {
    case NM_CLICK: {
        // The tree reports the click before it moves its selection: the
        // clicked item is selected here, then the node click runs (also
        // for an item that was selected already).
        TVHITTESTINFO ht{};
        ht.pt = pt;
        HTREEITEM item = TreeView_HitTest(tree_, &ht);
        const int node = item != nullptr && (ht.flags & TVHT_ONITEM) ? binder_->NodeOf(item) : TreeViewModel::kNone;
        runner_->Run([&] {
            if (node != TreeViewModel::kNone) {
                form_.TreeView1.Select(node);
                form_.TreeView1_NodeClick(node);
            }
            form_.TreeView1_MouseUp(1, shift, pt.x, pt.y);
        });
        return 0;
    }
    case NM_RCLICK:
        runner_->Run([&] { form_.TreeView1_MouseUp(2, shift, pt.x, pt.y); });
        return 1;  // no WM_CONTEXTMENU as well
    case TVN_SELCHANGINGW:
        // What the tree highlights is always the device the form works on:
        // no selection moves by the user while a command runs.
        return runner_->Running() && !binder_->Writing() ? TRUE : FALSE;
    case TVN_SELCHANGEDW: {
        if (binder_->Writing()) return 0;
        const auto* change = reinterpret_cast<const NMTREEVIEWW*>(hdr);
        const int node = binder_->NodeOf(change->itemNew.hItem);
        form_.TreeView1.SelectionFromUser(node);
        if (change->action == TVC_BYKEYBOARD && node != TreeViewModel::kNone) {
            runner_->Run([&] { form_.TreeView1_NodeClick(node); });
        }
        return 0;
    }
    default: return 0;
    }
}

}  // namespace trellup::win32
