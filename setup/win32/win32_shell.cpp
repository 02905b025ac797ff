#include "win32_shell.h"

#include "system_text.h"
#include "win32_util.h"

namespace trellup::win32 {

int Win32Shell::MsgBox(const std::string& text, int style, const std::string& caption) {
    // While a modal dialog of the main window is up, the box belongs to the
    // dialog: a box owned by the disabled main window would enable it again
    // when it closes, under the dialog.
    HWND owner = owner_;
    if (owner_ != nullptr) {
        HWND popup = GetLastActivePopup(owner_);
        if (popup != nullptr && popup != owner_ && IsWindowVisible(popup) && IsWindowEnabled(popup)) owner = popup;
    }
    return MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), static_cast<UINT>(style));
}

void Win32Shell::Beep() { MessageBeep(MB_OK); }

const MenuItem* Win32Shell::PopupMenu(const MenuModel& menu, int x, int y) {
    UniqueMenu popup(CreatePopupMenu());
    if (popup.get() == nullptr) return nullptr;
    std::map<UINT, const MenuItem*> chosen;
    for (const MenuItem* item : menu.items) {
        if (item == nullptr) {
            AppendMenuW(popup.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        auto id = ids_.find(item);
        if (id == ids_.end()) continue;
        AppendMenuW(popup.get(), MF_STRING | (item->enabled ? MF_ENABLED : MF_GRAYED), id->second,
                    Wide(item->caption).c_str());
        chosen[id->second] = item;
    }
    POINT pt{x, y};
    ClientToScreen(tree_ != nullptr ? tree_ : owner_, &pt);
    // A popup of a window that is not in the foreground would not close
    // when the user clicks elsewhere.
    SetForegroundWindow(owner_);
    const UINT cmd = static_cast<UINT>(TrackPopupMenu(
        popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, owner_, nullptr));
    PostMessageW(owner_, WM_NULL, 0, 0);
    auto it = chosen.find(cmd);
    return it == chosen.end() ? nullptr : it->second;
}

std::string Win32Shell::ErrorText(int32_t code) { return SystemErrorText(code); }

void Win32Shell::ShowSettingDialog() {
    if (show_setting_) show_setting_();
}

}  // namespace trellup::win32
