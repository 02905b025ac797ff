#include "form_window.h"

#include <oleacc.h>

#include "accessible_name.h"
#include "common/win32/window_base.h"
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
    case ControlKind::ListBox:
        return LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
    case ControlKind::Frame: return WS_CLIPSIBLINGS;
    case ControlKind::Picture: return SS_ICON | SS_NOTIFY | SS_CENTERIMAGE | SS_REALSIZEIMAGE;
    case ControlKind::TreeView: return TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP;
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

bool EnterKeyDown(LPARAM lp) {
    const auto* msg = reinterpret_cast<const MSG*>(lp);
    return msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
}

}  // namespace

FormWindow::FormWindow(HINSTANCE instance, ControlBinder& binder, Runner run)
    : instance_(instance), binder_(binder), run_(std::move(run)) {}

void FormWindow::Create(HWND window, FormTable table, const std::function<int(int)>& scale, HFONT font,
                        const Made& made) {
    table_ = std::move(table);
    std::map<int, HWND> frames;
    std::map<int, const ControlModel*> frame_models;
    int next_title = IDC_FIRST_TITLE;
    const FormRow* previous = nullptr;
    for (size_t i = 0; i < table_.size(); ++i) {
        const FormRow& e = table_[i];
        HWND parent = e.parent != 0 ? frames.at(e.parent) : window;
        const int id = e.kind == ControlKind::Title ? next_title++ : e.id;
        const std::wstring text = e.title != nullptr ? Wide(e.title) : std::wstring();
        const DWORD style = e.own_styles ? e.style : StyleOf(e.kind);
        const DWORD ex_style = e.own_styles ? e.ex_style : ExStyleOf(e.kind);
        HWND control =
            CreateWindowExW(ex_style, ClassOf(e.kind), text.c_str(), WS_CHILD | (e.own_styles ? 0 : WS_VISIBLE) | style,
                            scale(e.x), scale(e.y), scale(e.w), scale(e.h), parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
        if (control == nullptr) continue;
        if (e.kind != ControlKind::Title) by_id_[e.id] = i;
        Name(control, e, previous);
        previous = &e;
        placed_.push_back(Placed{control, &e});
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (e.kind == ControlKind::Frame) {
            frames[e.id] = control;
            frame_models[e.id] = e.model;
        }
        if (made) made(e, control);
        if (e.kind == ControlKind::TextBox && (e.entered || e.filter)) {
            common::win32::Subclass<&FormWindow::OnBoxMessage>(control, this);
        }
        if (e.icon != 0) {
            HICON icon = static_cast<HICON>(
                LoadImageW(instance_, MAKEINTRESOURCEW(e.icon), IMAGE_ICON, scale(e.icon_size), scale(e.icon_size), 0));
            icons_.emplace_back(icon);
            SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        }
        if (e.model != nullptr) {
            const ControlModel* frame = e.parent != 0 ? frame_models.at(e.parent) : nullptr;
            binder_.Bind(*e.model, control, e.kind, frame);
            if (e.tip_caption) binder_.TipWithCaption(*e.model);
            // Frames keep their place in the model; the form moves them.
            if (auto* f = dynamic_cast<Frame*>(e.model); f != nullptr && f->Left() < 0) f->Move(e.x, e.y);
        }
    }
    // A picture that runs something when clicked takes the focus and keys
    // as a button does.
    for (const Placed& p : placed_) {
        if (p.row->kind != ControlKind::Picture || !p.row->clicked) continue;
        SetWindowLongPtrW(p.hwnd, GWL_STYLE, GetWindowLongPtrW(p.hwnd, GWL_STYLE) | WS_TABSTOP);
        common::win32::Subclass<&FormWindow::OnPictureMessage>(p.hwnd, this);
    }
}

const FormRow* FormWindow::RowOf(int id) const {
    auto it = by_id_.find(id);
    return it == by_id_.end() ? nullptr : &table_[it->second];
}

HWND FormWindow::WindowOf(int id) const {
    for (const Placed& p : placed_) {
        if (p.row->id == id && p.row->kind != ControlKind::Title) return p.hwnd;
    }
    return nullptr;
}

void FormWindow::Name(HWND control, const FormRow& e, const FormRow* previous) const {
    if (e.kind == ControlKind::Frame) {
        if (const auto* frame = dynamic_cast<const CaptionedModel*>(e.model)) {
            SetAccessibleName(control, Wide(frame->Caption()), ROLE_SYSTEM_GROUPING);
        }
        return;
    }
    if (e.named_by != 0) {
        SetAccessibleName(control, NameFromTitle(Wide(WindowText(WindowOf(e.named_by)))));
        return;
    }
    const bool named = e.kind == ControlKind::Label || e.kind == ControlKind::TextBox ||
                       e.kind == ControlKind::ComboBox || e.kind == ControlKind::ListBox ||
                       e.kind == ControlKind::TreeView;
    if (!named) return;
    const char* name = nullptr;
    if (e.name != nullptr) {
        name = e.name;
    } else if (previous != nullptr && previous->kind == ControlKind::Title && previous->parent == e.parent) {
        name = previous->title;
    }
    if (name != nullptr) SetAccessibleName(control, NameFromTitle(Wide(name)));
}

void FormWindow::OnCommand(HWND control, int id, UINT code) {
    // Notifications caused by the binder's own writes are not input.
    if (binder_.Writing()) return;
    const bool clicked = code == BN_CLICKED || code == STN_CLICKED;
    const bool input = code == EN_CHANGE || code == CBN_SELCHANGE || code == CBN_EDITCHANGE || code == LBN_SELCHANGE;
    if (!clicked && !input) return;
    const FormRow* row = RowOf(id);
    if (control == nullptr) {
        // Enter and Escape in a dialog press its OK and Cancel buttons.
        if (row == nullptr || row->kind != ControlKind::Button) return;
        control = WindowOf(id);
    }
    if (binder_.TakeInput(control, code) == nullptr || row == nullptr) return;
    if (clicked && row->clicked) {
        // An option runs its action when it becomes the chosen one.
        if (row->kind == ControlKind::OptionButton && static_cast<CheckBox*>(row->model)->Value() != 1) return;
        run_(row->clicked);
    } else if (input && row->changed) {
        run_(row->changed);
    }
}

LRESULT FormWindow::OnBoxMessage(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    const FormRow* row = RowOf(GetDlgCtrlID(box));
    if (row != nullptr && row->entered) {
        // Enter reaches the box instead of pressing a default button.
        if (msg == WM_GETDLGCODE && EnterKeyDown(lp)) return DefSubclassProc(box, msg, wp, lp) | DLGC_WANTALLKEYS;
        if (msg == WM_CHAR && wp == VK_RETURN) {
            bool taken = false;
            run_([&] {
                row->entered();
                taken = true;
            });
            if (taken) return 0;
        }
    }
    if (row != nullptr && row->filter && msg == WM_CHAR) {
        binder_.TakeInput(box, EN_CHANGE);  // the filter looks at what the box holds now
        int key = static_cast<int>(wp);
        row->filter(&key);
        if (key == 0) return 0;
        wp = static_cast<WPARAM>(key);
    }
    return DefSubclassProc(box, msg, wp, lp);
}

LRESULT FormWindow::OnPictureMessage(HWND picture, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter reaches the picture instead of pressing a default button.
        if (EnterKeyDown(lp)) return DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
        if (wp == VK_RETURN || wp == VK_SPACE) {
            const FormRow* row = RowOf(GetDlgCtrlID(picture));
            if (row != nullptr && row->clicked) run_(row->clicked);
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(picture, nullptr, TRUE); break;
    case WM_PAINT: {
        const LRESULT r = DefSubclassProc(picture, msg, wp, lp);
        if (GetFocus() == picture) {
            HDC dc = GetDC(picture);
            RECT rc;
            GetClientRect(picture, &rc);
            InflateRect(&rc, -1, -1);
            DrawFocusRect(dc, &rc);
            ReleaseDC(picture, dc);
        }
        return r;
    }
    default: break;
    }
    return DefSubclassProc(picture, msg, wp, lp);
}

}  // namespace trellup::win32
