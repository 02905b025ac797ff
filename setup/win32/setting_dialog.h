// The property dialog's window: the dialog template IDD_SETTING, its
// controls bound to the models of frmSetting, shown modally over the main
// window. The window is made at the first showing and only hidden when the
// dialog closes, so it (and its models) keep their lists, selections and
// texts from one showing to the next. Utility thread only.
#pragma once

#include <windows.h>

#include "control_binder.h"
#include "dialogs/frm_setting.h"

namespace trellup::win32 {

class SettingDialog : public ModelObserver {
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

    // The dialog window, or nullptr before the first showing.
    HWND hwnd() const { return hwnd_; }

    void OnModelChanged(ControlModel& model, Prop what, int index) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK NumberBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);

    bool Create(HWND owner);
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnInitDialog();
    void OnCommand(int id, UINT code, HWND control);
    // Places the controls and sizes the client area (pixels at 96 DPI,
    // scaled to the screen).
    void Layout();
    void CentreOn(HWND owner);
    // Runs the key filter of a number box on a typed character; false
    // when the character is dropped, else *ch holds the character to type.
    bool FilterKey(HWND box, WPARAM* ch);

    frmSetting& form_;
    HWND hwnd_ = nullptr;
    ControlBinder binder_{nullptr};
    bool showing_ = false;
};

}  // namespace trellup::win32
