#include "setting_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "accessible_name.h"
#include "resource_ids.h"

namespace trellup::win32 {
namespace {

// Client area and control places, pixels at 96 DPI: titles at the left,
// inputs from x 112, buttons at the bottom right.
constexpr int kClientWidth = 279;
constexpr int kClientHeight = 209;

struct Place {
    int id;
    int x, y, w, h;
};
constexpr Place kPlaces[] = {
    {IDC_Label2, 8, 14, 102, 21},          {IDC_MasterDevice, 112, 14, 155, 240},
    {IDC_lblMasterDevice, 112, 14, 155, 21}, {IDC_MasterName, 112, 14, 155, 240},
    {IDC_Label1, 8, 44, 102, 21},          {IDC_txtDeviceName, 112, 44, 155, 21},
    {IDC_Label21, 8, 74, 102, 21},         {IDC_txtPulseOnTime, 112, 74, 72, 21},
    {IDC_Label3, 8, 104, 102, 21},         {IDC_txtTimeOut, 112, 104, 72, 21},
    {IDC_Label4, 8, 134, 102, 21},         {IDC_OpenStatusHigh, 112, 135, 60, 19},
    {IDC_OpenStatusLow, 180, 135, 60, 19}, {IDOK, 112, 172, 75, 25},
    {IDCANCEL, 192, 172, 75, 25},
};

// Owner disabled and dialog shown for the length of one modal showing;
// undone however the showing ends.
class ModalScope {
public:
    ModalScope(HWND owner, HWND dialog) : owner_(owner), dialog_(dialog) { EnableWindow(owner_, FALSE); }
    ~ModalScope() {
        // The owner first, so that activation returns to it and not to
        // another program's window.
        EnableWindow(owner_, TRUE);
        ShowWindow(dialog_, SW_HIDE);
        if (owner_ != nullptr) SetActiveWindow(owner_);
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    HWND owner_;
    HWND dialog_;
};

// A window's device context, with the window's font selected.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
        if (dc_ != nullptr) old_font_ = SelectObject(dc_, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    }
    ~WindowDc() {
        if (dc_ == nullptr) return;
        SelectObject(dc_, old_font_);
        ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
    HGDIOBJ old_font_ = nullptr;
};

// Makes a combo box's drop-down list wide enough for its longest item.
void FitDropDownWidth(HWND combo, const std::vector<std::string>& items) {
    WindowDc dc(combo);
    if (dc.get() == nullptr) return;
    int widest = 0;
    for (const std::string& item : items) {
        const std::wstring text = Wide(item);
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SendMessageW(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + GetSystemMetrics(SM_CXVSCROLL) + 8), 0);
}

}  // namespace

SettingDialog::~SettingDialog() {
    form_.Form.Bind(nullptr);
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool SettingDialog::Create(HWND owner) {
    CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTING), owner, DialogProc,
                       reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

void SettingDialog::ShowModal(HWND owner) {
    if (showing_ || (hwnd_ == nullptr && !Create(owner))) return;
    CentreOn(owner);
    ModalScope modal(owner, hwnd_);
    showing_ = true;
    struct Showing {
        bool& flag;
        ~Showing() { flag = false; }
    } showing{showing_};

    form_.Show();
    FitDropDownWidth(GetDlgItem(hwnd_, IDC_MasterDevice), form_.MasterDevice.Items());
    ShowWindow(hwnd_, SW_SHOW);
    SetActiveWindow(hwnd_);
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetNextDlgTabItem(hwnd_, nullptr, FALSE)), TRUE);

    MSG msg;
    while (form_.Form.Visible()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (!IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    form_.Form.SetVisible(false);
}

void SettingDialog::CentreOn(HWND owner) {
    RECT main{}, self{};
    if (owner == nullptr || !GetWindowRect(owner, &main) || !GetWindowRect(hwnd_, &self)) return;
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    const int left = main.left + ((main.right - main.left) - width) / 2;
    const int top = main.top + ((main.bottom - main.top) - height) / 2;
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK SettingDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (msg == WM_INITDIALOG) {
            auto* self = reinterpret_cast<SettingDialog*>(lp);
            SetWindowLongPtrW(hwnd, DWLP_USER, lp);
            self->hwnd_ = hwnd;
            self->OnInitDialog();
            return FALSE;  // focus is set at each showing
        }
        auto* self = reinterpret_cast<SettingDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
        if (self == nullptr) return FALSE;
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            self->hwnd_ = nullptr;
            return FALSE;
        }
        return self->OnMessage(msg, wp, lp);
    } catch (...) {
        // Out of memory in a procedure: the message is dropped, the dialog
        // keeps running.
        return FALSE;
    }
}

void SettingDialog::OnInitDialog() {
    struct Bound {
        int id;
        ControlModel* model;
        ControlKind kind;
    };
    const Bound bound[] = {
        {IDC_Label2, &form_.Label2, ControlKind::Label},
        {IDC_MasterDevice, &form_.MasterDevice, ControlKind::ComboBox},
        {IDC_lblMasterDevice, &form_.lblMasterDevice, ControlKind::Label},
        {IDC_MasterName, &form_.MasterName, ControlKind::ComboBox},
        {IDC_Label1, &form_.Label1, ControlKind::Label},
        {IDC_txtDeviceName, &form_.txtDeviceName, ControlKind::TextBox},
        {IDC_Label21, &form_.Label21, ControlKind::Label},
        {IDC_txtPulseOnTime, &form_.txtPulseOnTime, ControlKind::TextBox},
        {IDC_Label3, &form_.Label3, ControlKind::Label},
        {IDC_txtTimeOut, &form_.txtTimeOut, ControlKind::TextBox},
        {IDC_Label4, &form_.Label4, ControlKind::Label},
        {IDC_OpenStatusHigh, &form_.OpenStatusHigh, ControlKind::OptionButton},
        {IDC_OpenStatusLow, &form_.OpenStatusLow, ControlKind::OptionButton},
        {IDOK, &form_.btnOK, ControlKind::Button},
        {IDCANCEL, &form_.btnCancel, ControlKind::Button},
    };
    Layout();
    for (const Bound& b : bound) {
        if (HWND control = GetDlgItem(hwnd_, b.id)) binder_.Bind(*b.model, control, b.kind, nullptr);
    }
    form_.Form.Bind(this);
    SetWindowTextW(hwnd_, Wide(form_.Form.Caption()).c_str());
    // Each box is named by its title, as a screen reader reads it.
    const std::pair<int, int> titled[] = {
        {IDC_MasterDevice, IDC_Label2},     {IDC_MasterName, IDC_Label2},      {IDC_lblMasterDevice, IDC_Label2},
        {IDC_txtDeviceName, IDC_Label1},    {IDC_txtPulseOnTime, IDC_Label21}, {IDC_txtTimeOut, IDC_Label3},
    };
    for (const auto& [box, title] : titled) {
        SetAccessibleName(GetDlgItem(hwnd_, box), NameFromTitle(Wide(WindowText(GetDlgItem(hwnd_, title)))));
    }
    for (int id : {IDC_txtPulseOnTime, IDC_txtTimeOut}) {
        SetWindowSubclass(GetDlgItem(hwnd_, id), NumberBoxProc, static_cast<UINT_PTR>(id),
                          reinterpret_cast<DWORD_PTR>(this));
    }
}

void SettingDialog::Layout() {
    const Dpi dpi;
    for (const Place& p : kPlaces) {
        if (HWND control = GetDlgItem(hwnd_, p.id)) {
            SetWindowPos(control, nullptr, dpi(p.x), dpi(p.y), dpi(p.w), dpi(p.h), SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    RECT rc{0, 0, dpi(kClientWidth), dpi(kClientHeight)};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    AdjustWindowRectEx(&rc, style, FALSE, ex_style);
    SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR SettingDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return TRUE;
    case WM_CLOSE:
        // The close box is Cancel: the dialog is hidden, never destroyed.
        form_.btnCancel_Click();
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        return reinterpret_cast<INT_PTR>(binder_.Background(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)));
    default:
        return FALSE;
    }
}

void SettingDialog::OnCommand(int id, UINT code, HWND control) {
    // Notifications caused by the binder's own writes are not input.
    if (binder_.Writing()) return;
    switch (id) {
    case IDOK:
        if (code == BN_CLICKED) form_.btnOK_Click();
        break;
    case IDCANCEL:
        if (code == BN_CLICKED) form_.btnCancel_Click();
        break;
    case IDC_MasterDevice:
        if (code == CBN_SELCHANGE && binder_.TakeInput(control, code) != nullptr) form_.MasterDevice_Click();
        break;
    case IDC_txtDeviceName:
        if (code == EN_CHANGE && binder_.TakeInput(control, code) != nullptr) form_.txtDeviceName_Change();
        break;
    case IDC_txtPulseOnTime:
        if (code == EN_CHANGE && binder_.TakeInput(control, code) != nullptr) form_.txtPulseOnTime_Change();
        break;
    case IDC_txtTimeOut:
        if (code == EN_CHANGE && binder_.TakeInput(control, code) != nullptr) form_.txtTimeOut_Change();
        break;
    case IDC_OpenStatusHigh:
        if (code == BN_CLICKED && binder_.TakeInput(control, code) != nullptr && form_.OpenStatusHigh.Value() == 1)
            form_.OpenStatusHigh_Click();
        break;
    case IDC_OpenStatusLow:
        if (code == BN_CLICKED && binder_.TakeInput(control, code) != nullptr && form_.OpenStatusLow.Value() == 1)
            form_.OpenStatusLow_Click();
        break;
    default:
        break;
    }
}

bool SettingDialog::FilterKey(HWND box, WPARAM* ch) {
    binder_.TakeInput(box, EN_CHANGE);  // the filter looks at what the box holds now
    int key = static_cast<int>(*ch);
    if (GetDlgCtrlID(box) == IDC_txtPulseOnTime) {
        form_.txtPulseOnTime_KeyPress(&key);
    } else {
        form_.txtTimeOut_KeyPress(&key);
    }
    if (key == 0) return false;
    *ch = static_cast<WPARAM>(key);
    return true;
}

LRESULT CALLBACK SettingDialog::NumberBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                              DWORD_PTR self) {
    try {
        if (msg == WM_CHAR && !reinterpret_cast<SettingDialog*>(self)->FilterKey(hwnd, &wp)) return 0;
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, NumberBoxProc, id);
    } catch (...) {
        // The character is typed unfiltered; the Change rule still decides.
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void SettingDialog::OnModelChanged(ControlModel& model, Prop what, int /*index*/) {
    if (&model != &form_.Form || hwnd_ == nullptr) return;
    if (what == Prop::Caption) SetWindowTextW(hwnd_, Wide(form_.Form.Caption()).c_str());
    // Visible: the modal loop of ShowModal sees the change and ends the showing.
}

}  // namespace trellup::win32
