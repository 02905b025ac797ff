#include "control_binder.h"

#include <windowsx.h>

#include "controls/menu_model.h"

namespace trellup::win32 {

COLORREF ToColorRef(Colour colour) {
    if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFFu));
    return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

namespace {

constexpr wchar_t kDeferredProp[] = L"TrellupDrawingDeferred";

void CALLBACK RedrawList(HWND list, UINT, UINT_PTR id, DWORD) {
    KillTimer(list, id);
    RemovePropW(list, kDeferredProp);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// A list box draws itself (and its scroll bar) at every added line and
// every selection, which makes a burst of log lines slow. Its drawing waits
// until the utility is idle again; its contents and selection change at
// once.
void DeferDrawing(HWND list) {
    if (GetPropW(list, kDeferredProp) != nullptr) return;
    SetPropW(list, kDeferredProp, reinterpret_cast<HANDLE>(1));
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SetTimer(list, 1, USER_TIMER_MINIMUM, RedrawList);
}

// Selects one line of a list box and scrolls it into view; a list box that
// lets the user select several lines takes the line as its only selection.
void SelectLine(HWND list, int index) {
    if ((GetWindowLongPtrW(list, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) == 0) {
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return;
    }
    SendMessageW(list, LB_SETSEL, FALSE, -1);
    if (index < 0) return;
    SendMessageW(list, LB_SETSEL, TRUE, index);
    SendMessageW(list, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
}

}  // namespace

class ControlBinder::WriteScope {
public:
    explicit WriteScope(ControlBinder& b) : b_(b) { ++b_.writing_; }
    ~WriteScope() { --b_.writing_; }
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;

private:
    ControlBinder& b_;
};

ControlBinder::~ControlBinder() {
    for (Binding& b : bindings_) b.model->Bind(nullptr);
}

void ControlBinder::Bind(ControlModel& model, HWND hwnd, ControlKind kind, const ControlModel* frame) {
    by_model_[&model] = bindings_.size();
    by_window_[hwnd] = bindings_.size();
    bindings_.push_back(Binding{&model, hwnd, kind, frame});
    model.Bind(this);
    ShowAll(bindings_.back());
}

void ControlBinder::TipWithCaption(const ControlModel& model) {
    caption_tips_.insert(&model);
    if (const Binding* b = Find(model)) ShowToolTip(*b);
}

const ControlBinder::Binding* ControlBinder::Find(const ControlModel& model) const {
    auto it = by_model_.find(&model);
    return it == by_model_.end() ? nullptr : &bindings_[it->second];
}

HWND ControlBinder::WindowOf(const ControlModel& model) const {
    const Binding* b = Find(model);
    return b != nullptr ? b->hwnd : nullptr;
}

ControlModel* ControlBinder::ModelOf(HWND hwnd) const {
    auto it = by_window_.find(hwnd);
    return it == by_window_.end() ? nullptr : bindings_[it->second].model;
}

void ControlBinder::ShowAll(const Binding& b) {
    WriteScope scope(*this);
    if (auto* c = dynamic_cast<CaptionedModel*>(b.model)) {
        if (b.kind != ControlKind::ListBox && b.kind != ControlKind::ComboBox) {
            SetWindowTextW(b.hwnd, Wide(c->Caption()).c_str());
        }
    }
    // A window bound as a title takes its caption from the model and keeps
    // its own enabled and visible states (a form's window shows itself).
    if (b.kind == ControlKind::Title) return;
    if (auto* check = dynamic_cast<CheckBox*>(b.model)) {
        Button_SetCheck(b.hwnd, check->Value() == 1   ? BST_CHECKED
                                : check->Value() == 2 ? BST_INDETERMINATE
                                                      : BST_UNCHECKED);
    }
    if (b.kind == ControlKind::ListBox || b.kind == ControlKind::ComboBox || b.kind == ControlKind::TreeView) {
        ShowItems(b);
    }
    ShowEnabled(b);
    ShowWindow(b.hwnd, b.model->Visible() ? SW_SHOWNA : SW_HIDE);
    ShowToolTip(b);
}

void ControlBinder::ShowEnabled(const Binding& b) {
    bool on = b.model->Enabled();
    if (b.frame != nullptr) on = on && b.frame->Enabled();
    EnableWindow(b.hwnd, on ? TRUE : FALSE);
    // A frame's children follow it.
    if (b.kind == ControlKind::Frame) {
        for (const Binding& child : bindings_) {
            if (child.frame == b.model) ShowEnabled(child);
        }
    }
}

void ControlBinder::ShowToolTip(const Binding& b) {
    if (tooltip_ == nullptr) return;
    std::string tip = b.model->ToolTipText();
    if (tip.empty() && caption_tips_.count(b.model) != 0) {
        if (auto* c = dynamic_cast<const CaptionedModel*>(b.model)) tip = c->Caption();
    }
    // Red marks a value that changed; the tip says so too, for those who
    // do not see the colour.
    if (const auto* coloured = dynamic_cast<const ColouredModel*>(b.model);
        coloured != nullptr && b.kind == ControlKind::Label && coloured->BackColor() == kRed) {
        tip = tip.empty() ? "Changed" : tip + " (changed)";
    }
    bool& registered = has_tool_[b.hwnd];
    if (tip.empty() && !registered) return;
    std::wstring text = Wide(tip);
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = GetParent(b.hwnd);
    ti.uId = reinterpret_cast<UINT_PTR>(b.hwnd);
    ti.lpszText = text.data();
    if (!registered) {
        registered = SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != FALSE;
    } else {
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void ControlBinder::ShowItems(const Binding& b) {
    if (b.kind == ControlKind::TreeView) {
        const auto& tree = static_cast<const TreeViewModel&>(*b.model);
        TreeView_DeleteAllItems(b.hwnd);
        tree_items_.clear();
        for (int node = 0; node < tree.Count(); ++node) AddTreeItem(b, node);
        for (int node = 0; node < tree.Count(); ++node) {
            if (tree.At(node).expanded) TreeView_Expand(b.hwnd, ItemOf(node), TVE_EXPAND);
        }
        TreeView_SelectItem(b.hwnd, ItemOf(tree.SelectedItem()));
        return;
    }
    const auto& list = static_cast<const ListModel&>(*b.model);
    const bool combo = b.kind == ControlKind::ComboBox;
    SendMessageW(b.hwnd, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    for (const std::string& item : list.Items()) {
        SendMessageW(b.hwnd, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    }
    if (combo) {
        SendMessageW(b.hwnd, CB_SETCURSEL, static_cast<WPARAM>(list.ListIndex()), 0);
    } else {
        SelectLine(b.hwnd, list.ListIndex());
    }
    if (combo) SetWindowTextW(b.hwnd, Wide(list.Caption()).c_str());
}

void ControlBinder::AddTreeItem(const Binding& b, int node) {
    const auto& n = static_cast<const TreeViewModel&>(*b.model).At(node);
    std::wstring text = Wide(n.text);
    TVINSERTSTRUCTW ins{};
    ins.hParent = n.parent >= 0 ? ItemOf(n.parent) : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    ins.item.pszText = text.data();
    ins.item.iImage = n.image;
    ins.item.iSelectedImage = n.selected_image;
    ins.item.lParam = node;
    HTREEITEM item =
        reinterpret_cast<HTREEITEM>(SendMessageW(b.hwnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    if (tree_items_.size() <= static_cast<size_t>(node)) tree_items_.resize(static_cast<size_t>(node) + 1);
    tree_items_[static_cast<size_t>(node)] = item;
}

int ControlBinder::NodeOf(HTREEITEM item) const {
    if (item == nullptr) return TreeViewModel::kNone;
    for (size_t i = 0; i < tree_items_.size(); ++i) {
        if (tree_items_[i] == item) return static_cast<int>(i);
    }
    return TreeViewModel::kNone;
}

HTREEITEM ControlBinder::ItemOf(int node) const {
    if (node < 0 || static_cast<size_t>(node) >= tree_items_.size()) return nullptr;
    return tree_items_[static_cast<size_t>(node)];
}

void ControlBinder::OnModelChanged(ControlModel& model, Prop what, int index) {
    const Binding* found = Find(model);
    if (found == nullptr) return;
    const Binding b = *found;
    WriteScope scope(*this);
    switch (what) {
    case Prop::Caption:
        if (b.kind == ControlKind::ComboBox) {
            SetWindowTextW(b.hwnd, Wide(static_cast<ListModel&>(model).Caption()).c_str());
        } else if (b.kind != ControlKind::ListBox) {
            SetWindowTextW(b.hwnd, Wide(static_cast<CaptionedModel&>(model).Caption()).c_str());
        }
        if (caption_tips_.count(&model) != 0) ShowToolTip(b);
        break;
    case Prop::Enabled:
        if (b.kind != ControlKind::Title) {
            ShowEnabled(b);
        } else if (window_enabler_) {
            // A form's window follows its model only when the form changes
            // it: a command that blocks the window while it runs.
            window_enabler_(b.hwnd, model.Enabled());
        } else {
            EnableWindow(b.hwnd, model.Enabled() ? TRUE : FALSE);
        }
        break;
    case Prop::Visible:
        if (b.kind != ControlKind::Title) ShowWindow(b.hwnd, model.Visible() ? SW_SHOWNA : SW_HIDE);
        break;
    case Prop::BackColor:
        InvalidateRect(b.hwnd, nullptr, TRUE);
        ShowToolTip(b);
        break;
    case Prop::ToolTip: ShowToolTip(b); break;
    case Prop::Value: {
        const int v = static_cast<CheckBox&>(model).Value();
        Button_SetCheck(b.hwnd, v == 1 ? BST_CHECKED : v == 2 ? BST_INDETERMINATE : BST_UNCHECKED);
        break;
    }
    case Prop::Items: ShowItems(b); break;
    case Prop::ItemAdded:
        if (b.kind == ControlKind::TreeView) {
            AddTreeItem(b, index);
        } else {
            const auto& list = static_cast<ListModel&>(model);
            if (b.kind == ControlKind::ListBox) DeferDrawing(b.hwnd);
            SendMessageW(b.hwnd, b.kind == ControlKind::ComboBox ? CB_ADDSTRING : LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(Wide(list.Items()[static_cast<size_t>(index)]).c_str()));
        }
        break;
    case Prop::ListIndex:
        if (b.kind == ControlKind::TreeView) {
            TreeView_SelectItem(b.hwnd, ItemOf(index));
        } else {
            const int i = static_cast<ListModel&>(model).ListIndex();
            if (b.kind == ControlKind::ListBox) {
                DeferDrawing(b.hwnd);
                SelectLine(b.hwnd, i);
            } else {
                SendMessageW(b.hwnd, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            }
        }
        break;
    case Prop::Position: {
        const auto& frame = static_cast<Frame&>(model);
        if (placer_) {
            placer_(b.hwnd, frame.Left(), frame.Top());
            break;
        }
        const Dpi dpi;
        SetWindowPos(b.hwnd, nullptr, dpi(frame.Left()), dpi(frame.Top()), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case Prop::Expanded: TreeView_Expand(b.hwnd, ItemOf(index), TVE_EXPAND); break;
    }
}

ControlModel* ControlBinder::TakeInput(HWND hwnd, UINT code) {
    auto it = by_window_.find(hwnd);
    if (it == by_window_.end()) return nullptr;
    const Binding& b = bindings_[it->second];
    switch (b.kind) {
    case ControlKind::TextBox: {
        // The box is a UTF-16 window: the model learns when the code page
        // cannot hold what was typed.
        bool exact = true;
        const std::string text = WindowText(hwnd, &exact);
        static_cast<TextBox*>(b.model)->CaptionFromUser(text, exact);
        break;
    }
    case ControlKind::ComboBox: {
        auto* combo = static_cast<ListModel*>(b.model);
        const int sel = static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
        combo->ListIndexFromUser(sel < 0 ? -1 : sel);
        // A choice from the list shows its item (the edit part is updated
        // only after the notification); typing shows the typed text.
        if (code == CBN_SELCHANGE && sel >= 0 && static_cast<size_t>(sel) < combo->Items().size()) {
            combo->CaptionFromUser(combo->Items()[static_cast<size_t>(sel)]);
        } else {
            combo->CaptionFromUser(WindowText(hwnd));
        }
        break;
    }
    case ControlKind::ListBox: {
        const int sel = static_cast<int>(SendMessageW(hwnd, LB_GETCURSEL, 0, 0));
        static_cast<ListModel*>(b.model)->ListIndexFromUser(sel < 0 ? -1 : sel);
        break;
    }
    case ControlKind::CheckBox:
    case ControlKind::OptionButton: {
        const LRESULT state = Button_GetCheck(hwnd);
        static_cast<CheckBox*>(b.model)->ValueFromUser(state == BST_CHECKED ? 1 : state == BST_INDETERMINATE ? 2 : 0);
        // The other option buttons of the group changed too.
        if (b.kind == ControlKind::OptionButton) {
            for (const Binding& other : bindings_) {
                if (other.kind == ControlKind::OptionButton && other.hwnd != hwnd &&
                    GetParent(other.hwnd) == GetParent(hwnd)) {
                    static_cast<CheckBox*>(other.model)->ValueFromUser(Button_GetCheck(other.hwnd) == BST_CHECKED);
                }
            }
        }
        break;
    }
    default: break;
    }
    return b.model;
}

HBRUSH ControlBinder::BrushFor(Colour colour) {
    if (colour & 0x80000000u) return GetSysColorBrush(static_cast<int>(colour & 0xFFu));
    UniqueBrush& brush = brushes_[colour];
    if (brush.get() == nullptr) brush.reset(CreateSolidBrush(ToColorRef(colour)));
    return static_cast<HBRUSH>(brush.get());
}

HBRUSH ControlBinder::Background(HWND hwnd, HDC dc) {
    auto it = by_window_.find(hwnd);
    if (it == by_window_.end()) return nullptr;
    const auto* coloured = dynamic_cast<const ColouredModel*>(bindings_[it->second].model);
    if (coloured == nullptr) return nullptr;
    SetBkColor(dc, ToColorRef(coloured->BackColor()));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return BrushFor(coloured->BackColor());
}

}  // namespace trellup::win32
