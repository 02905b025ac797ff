// The property dialog's window: the dialog frame IDD_SETTING, its controls
// made from the form table and bound to the models of frmSetting, shown
// modally over the main window. The window is made at the first showing and only hidden when the
// dialog closes, so it (and its models) keep their lists, selections and
// texts from one showing to the next. Utility thread only.
#pragma once

#include <windows.h>

#include "common/win32/window_base.h"
#include "control_binder.h"
#include "form_window.h"
#include "forms/setting/frm_setting.h"

namespace trellup::win32 {

// The dialog's controls (setting_form.cpp) and its client size, in 96-DPI
// pixels.
FormTable SettingForm(frmSetting& form);
SIZE SettingClientSize();

class SettingDialog : public common::win32::DialogBase<SettingDialog>, public ModelObserver {
public:
    // `form` must outlive the dialog.
    explicit SettingDialog(frmSetting& form) : form_(form) {}
    ~SettingDialog();
    SettingDialog(const SettingDialog&) = delete;
    SettingDialog& operator=(const SettingDialog&) = delete;

    // Shows the dialog centred on `owner`, with `owner` disabled, and
    // returns when the dialog's procedures have hidden it again (or the
    // program is quitting: WM_QUIT is posted again for the outer loop).
    void ShowModal(HWND owner);

    // The dialog window (hwnd()) is nullptr before the first showing.

    void OnModelChanged(ControlModel& model, Prop what, int index) override;

private:
    friend class common::win32::DialogBase<SettingDialog>;

    bool Create(HWND owner);
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR OnInitDialog();
    // Sizes the client area (pixels at 96 DPI, scaled to the screen).
    void FitClientArea();
    void CentreOn(HWND owner);

    frmSetting& form_;
    ControlBinder binder_{nullptr};
    FormWindow controls_{GetModuleHandleW(nullptr), binder_, [](const std::function<void()>& action) { action(); }};
    bool showing_ = false;
};

}  // namespace trellup::win32
