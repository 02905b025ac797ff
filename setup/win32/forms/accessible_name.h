// Accessible names for controls whose own text is not their name: a value
// label (its text is the value; the title beside it names it), a box whose
// title lies elsewhere in the window, a frame (a group named by its caption).
// The control answers WM_GETOBJECT with the system's standard accessible
// object for it, with name (and role) replaced. Utility thread only.
#pragma once

#include <windows.h>

#include <string>

namespace trellup::win32 {

// Gives `control` the accessible name `name`; `role` (ROLE_SYSTEM_...) or 0
// for the control's own. The name lives as long as the control.
void SetAccessibleName(HWND control, const std::wstring& name, long role = 0);

// The name of a control as a screen reader hears it from a title: without
// the "&" of a mnemonic, blanks and a closing ":".
std::wstring NameFromTitle(const std::wstring& title);

}  // namespace trellup::win32
