// The forms' shell on Windows: system message boxes owned by the main
// window (or by its modal dialog while one is shown), the system beep,
// popup menus built from the menu models at the moment they open, and the
// modal property dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

#include "platform/shell.h"

namespace trellup::win32 {

class Win32Shell : public IShell {
public:
    // The main window owns the boxes and menus; `tree` is the control the
    // popup coordinates are relative to. Menu entries carry the command IDs
    // of `ids`.
    void Attach(HWND owner, HWND tree, std::map<const MenuItem*, UINT> ids) {
        owner_ = owner;
        tree_ = tree;
        ids_ = std::move(ids);
    }
    // Shows the property dialog modally; set by the dialog's owner.
    void SetSettingDialog(std::function<void()> show) { show_setting_ = std::move(show); }

    int MsgBox(const std::string& text, int style, const std::string& caption) override;
    void Beep() override;
    const MenuItem* PopupMenu(const MenuModel& menu, int x, int y) override;
    std::string ErrorText(int32_t code) override;
    void ShowSettingDialog() override;

    HWND owner() const { return owner_; }

private:
    HWND owner_ = nullptr;
    HWND tree_ = nullptr;
    std::map<const MenuItem*, UINT> ids_;
    std::function<void()> show_setting_;
};

}  // namespace trellup::win32
