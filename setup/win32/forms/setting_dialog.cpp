#include "setting_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resource_ids.h"

namespace trellup::win32 {
namespace {

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
        if (dc_ != nullptr)
            old_font_ = SelectObject(dc_, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
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
    CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTING), owner, Procedure,
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

INT_PTR SettingDialog::OnInitDialog() {
    const Dpi dpi;
    controls_.Create(
        hwnd_, SettingForm(form_), [&dpi](int pixels) { return dpi(pixels); },
        reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    // The dialog manager takes its default button from the template only;
    // the controls are made here, so OK is named the default (Enter presses
    // it from any box).
    SendMessageW(hwnd_, DM_SETDEFID, IDOK, 0);
    FitClientArea();
    form_.Form.Bind(this);
    SetWindowTextW(hwnd_, Wide(form_.Form.Caption()).c_str());
    return FALSE;  // focus is set at each showing
}

void SettingDialog::FitClientArea() {
    const Dpi dpi;
    RECT rc{0, 0, dpi(SettingClientSize().cx), dpi(SettingClientSize().cy)};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    AdjustWindowRectEx(&rc, style, FALSE, ex_style);
    SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR SettingDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND: controls_.OnCommand(reinterpret_cast<HWND>(lp), LOWORD(wp), HIWORD(wp)); return TRUE;
    case WM_CLOSE:
        // The close box is Cancel: the dialog is hidden, never destroyed.
        form_.btnCancel_Click();
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        return reinterpret_cast<INT_PTR>(binder_.Background(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)));
    default: return FALSE;
    }
}

void SettingDialog::OnModelChanged(ControlModel& model, Prop what, int /*index*/) {
    if (&model != &form_.Form || hwnd_ == nullptr) return;
    if (what == Prop::Caption) SetWindowTextW(hwnd_, Wide(form_.Form.Caption()).c_str());
    // Visible: the modal loop of ShowModal sees the change and ends the showing.
}

}  // namespace trellup::win32
