#include "main_window.h"

#include <windowsx.h>

#include "frame_window.h"
#include "resource_ids.h"

namespace trellup::win32 {
namespace {

DWORD StyleOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Title: return SS_LEFT | SS_NOPREFIX;
    case ControlKind::Label: return SS_LEFT | SS_NOPREFIX | SS_NOTIFY | SS_CENTERIMAGE | SS_ENDELLIPSIS;
    case ControlKind::Button: return BS_PUSHBUTTON | WS_TABSTOP;
    case ControlKind::CheckBox: return BS_AUTOCHECKBOX | WS_TABSTOP;
    case ControlKind::OptionButton: return BS_AUTORADIOBUTTON | WS_TABSTOP;
    case ControlKind::TextBox: return ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
    case ControlKind::ComboBox: return CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
    case ControlKind::ListBox: return LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
    case ControlKind::Frame: return WS_CLIPSIBLINGS;
    case ControlKind::Picture: return SS_ICON | SS_NOTIFY | SS_CENTERIMAGE | SS_REALSIZEIMAGE;
    case ControlKind::TreeView:
        return TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP;
    }
    return 0;
}

const wchar_t* ClassOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Title:
    case ControlKind::Label:
    case ControlKind::Picture: return L"STATIC";
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton: return L"BUTTON";
    case ControlKind::TextBox: return L"EDIT";
    case ControlKind::ComboBox: return L"COMBOBOX";
    case ControlKind::ListBox: return L"LISTBOX";
    case ControlKind::Frame: return kFrameClass;
    case ControlKind::TreeView: return WC_TREEVIEWW;
    }
    return L"STATIC";
}

DWORD ExStyleOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label: return WS_EX_STATICEDGE;
    case ControlKind::TextBox:
    case ControlKind::ListBox:
    case ControlKind::TreeView: return WS_EX_CLIENTEDGE;
    case ControlKind::Frame: return WS_EX_CONTROLPARENT;
    default: return 0;
    }
}

// Icons for the pictures, by control.
struct PictureIcon {
    int control;
    int icon;
    int size;
};
constexpr PictureIcon kPictureIcons[] = {
    {IDC_Image1, IDI_CREATE_CASH_DRAWER, 32}, {IDC_Image2, IDI_CREATE_MSR, 32},
    {IDC_Image3, IDI_CREATE_VFD, 32},         {IDC_Image4, IDI_CREATE_PRINTER, 32},
    {IDC_CashDrawerClose, IDI_DRAWER_CLOSED, 64}, {IDC_CashDrawerOpen, IDI_DRAWER_OPEN, 64},
};

}  // namespace

MainWindow::MainWindow(frmMain& form, Win32Shell& shell, HINSTANCE instance)
    : form_(form), shell_(shell), instance_(instance) {}

MainWindow::~MainWindow() {
    form_.TreeView1.SetHitTest(nullptr);
    binder_.reset();
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool MainWindow::Create() {
    if (!RegisterFrameClass(instance_)) return false;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance_;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 32, 32, 0));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kMainClass;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    const Dpi dpi;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD ex_style = WS_EX_CONTROLPARENT;
    const SIZE client = MainClientSize();
    RECT rc{0, 0, dpi(client.cx), dpi(client.cy)};
    AdjustWindowRectEx(&rc, style, FALSE, ex_style);
    hwnd_ = CreateWindowExW(ex_style, kMainClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT, rc.right - rc.left,
                            rc.bottom - rc.top, nullptr, nullptr, instance_, this);
    if (hwnd_ == nullptr) return false;

    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_,
                               nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, dpi(420));
    binder_ = std::make_unique<ControlBinder>(tooltip_);
    binder_->Bind(form_.Form, hwnd_, ControlKind::Title, nullptr);

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    CreateImages();
    CreateControls();
    for (const ControlAction& a : MainActions(form_)) actions_[a.id] = a;
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
    const Dpi dpi;
    std::map<int, HWND> frames;
    std::map<int, const ControlModel*> frame_models;
    int next_title = IDC_FIRST_TITLE;
    for (const LayoutEntry& e : MainLayout(form_)) {
        HWND parent = e.parent != 0 ? frames.at(e.parent) : hwnd_;
        const int id = e.kind == ControlKind::Title ? next_title++ : e.id;
        const std::wstring text = e.title != nullptr ? Wide(e.title) : std::wstring();
        HWND control = CreateWindowExW(ExStyleOf(e.kind), ClassOf(e.kind), text.c_str(),
                                       WS_CHILD | WS_VISIBLE | StyleOf(e.kind), dpi(e.x), dpi(e.y), dpi(e.w),
                                       dpi(e.h), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                       nullptr);
        if (control == nullptr) continue;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        if (e.kind == ControlKind::Frame) {
            frames[e.id] = control;
            frame_models[e.id] = e.model;
        }
        if (e.kind == ControlKind::TreeView) {
            tree_ = control;
            TreeView_SetImageList(control, tree_images_.get(), TVSIL_NORMAL);
        }
        if (e.kind == ControlKind::TextBox) SetWindowSubclass(control, EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
        for (const PictureIcon& p : kPictureIcons) {
            if (p.control != e.id) continue;
            HICON icon = static_cast<HICON>(
                LoadImageW(instance_, MAKEINTRESOURCEW(p.icon), IMAGE_ICON, dpi(p.size), dpi(p.size), 0));
            icons_.emplace_back(icon);
            SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        }
        if (e.model != nullptr) {
            const ControlModel* frame = e.parent != 0 ? frame_models.at(e.parent) : nullptr;
            binder_->Bind(*e.model, control, e.kind, frame);
            // Frames keep their place in the model; the form moves them.
            if (auto* f = dynamic_cast<Frame*>(e.model); f != nullptr && f->Left() < 0) f->Move(e.x, e.y);
        }
    }
}

bool MainWindow::PreTranslate(MSG* msg) { return hwnd_ != nullptr && IsDialogMessageW(hwnd_, msg); }

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MainWindow* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return self->OnMessage(msg, wp, lp);
    } catch (...) {
        // Nothing escapes into the system's message dispatch; the command
        // that threw is abandoned and the window goes on.
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK MainWindow::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<MainWindow*>(data);
    try {
        const int id = GetDlgCtrlID(hwnd);
        auto action = self->actions_.find(id);
        const bool takes_keys = action != self->actions_.end() && action->second.key_typed;
        if (msg == WM_GETDLGCODE && takes_keys && lp != 0 && reinterpret_cast<MSG*>(lp)->message == WM_KEYDOWN &&
            reinterpret_cast<MSG*>(lp)->wParam == VK_RETURN) {
            // Enter reaches the box instead of pressing a default button.
            return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTALLKEYS;
        }
        if (msg == WM_CHAR && takes_keys) {
            bool taken = false;
            auto key = action->second.key_typed;
            self->RunCommand([&] { taken = key(static_cast<int>(wp)); });
            if (taken) return 0;
        }
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, EditProc, 1);
    } catch (...) {
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void MainWindow::RunCommand(const std::function<void()>& command) {
    if (running_command_) return;
    running_command_ = true;
    // Ends the command even when it throws; a close asked for meanwhile
    // follows it.
    struct Done {
        MainWindow& w;
        ~Done() {
            w.running_command_ = false;
            if (w.close_pending_) PostMessageW(w.hwnd_, WM_CLOSE, 0, 0);
        }
    } done{*this};
    command();
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(reinterpret_cast<HWND>(lp), LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR*>(lp));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (binder_ != nullptr) {
            if (HBRUSH brush = binder_->Background(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp))) {
                return reinterpret_cast<LRESULT>(brush);
            }
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    case WM_CLOSE:
        // A command still running (a control object dispatching messages
        // while it works) ends first.
        if (running_command_) {
            close_pending_ = true;
            return 0;
        }
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

void MainWindow::OnCommand(HWND control, int id, UINT code) {
    if (control == nullptr || binder_ == nullptr || binder_->Writing()) return;
    const bool clicked = code == BN_CLICKED || code == STN_CLICKED;
    const bool input = code == EN_CHANGE || code == CBN_SELCHANGE || code == CBN_EDITCHANGE || code == LBN_SELCHANGE;
    if (!clicked && !input) return;
    binder_->TakeInput(control, code);
    auto action = actions_.find(id);
    if (clicked && action != actions_.end() && action->second.clicked) RunCommand(action->second.clicked);
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
        RunCommand([&] {
            if (node != TreeViewModel::kNone) {
                form_.TreeView1.Select(node);
                form_.TreeView1_NodeClick(node);
            }
            form_.TreeView1_MouseUp(1, shift, pt.x, pt.y);
        });
        return 0;
    }
    case NM_RCLICK:
        RunCommand([&] { form_.TreeView1_MouseUp(2, shift, pt.x, pt.y); });
        return 1;  // no WM_CONTEXTMENU as well
    case TVN_SELCHANGEDW: {
        if (binder_->Writing()) return 0;
        const auto* change = reinterpret_cast<const NMTREEVIEWW*>(hdr);
        const int node = binder_->NodeOf(change->itemNew.hItem);
        form_.TreeView1.SelectionFromUser(node);
        if (change->action == TVC_BYKEYBOARD && node != TreeViewModel::kNone) {
            RunCommand([&] { form_.TreeView1_NodeClick(node); });
        }
        return 0;
    }
    default:
        return 0;
    }
}

}  // namespace trellup::win32
