// What the forms need from the desktop besides their controls: message
// boxes, the beep, popup menus and the modal property dialog. The Windows
// side implements it over the real calls; tests script it.
#pragma once

#include <cstdint>
#include <string>

#include "controls/menu_model.h"

namespace trellup {

// Message box styles and answers, with the values the platform uses.
namespace mb {
constexpr int kOk = 0x0;
constexpr int kYesNo = 0x4;
constexpr int kIconStop = 0x10;
constexpr int kIconExclamation = 0x30;
constexpr int kIconInformation = 0x40;
constexpr int kDefaultButton2 = 0x100;

constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
}  // namespace mb

// The program's name: message boxes without a caption of their own use it.
constexpr const char* kAppTitle = "Trellup";

class IShell {
public:
    // A modal message box owned by the main window; returns the answer
    // (mb::kIdOk, mb::kIdYes, mb::kIdNo). Texts are in the ANSI code page.
    virtual int MsgBox(const std::string& text, int style, const std::string& caption) = 0;
    // The system's default beep.
    virtual void Beep() = 0;
    // Pops `menu` up at the point (x, y) of the tree's client area and
    // returns the entry chosen, or nullptr when the menu was dismissed.
    virtual const MenuItem* PopupMenu(const MenuModel& menu, int x, int y) = 0;
    // The system's text of Win32 error `code` in the ANSI code page, on one
    // line and without a line break at its end ("Access is denied."); a code
    // the system has no text for gives "Error <code>.".
    virtual std::string ErrorText(int32_t code) = 0;
    // Shows the property dialog modally, owned by the main window, and
    // returns when it has been hidden again.
    virtual void ShowSettingDialog() = 0;

protected:
    ~IShell() = default;
};

}  // namespace trellup
