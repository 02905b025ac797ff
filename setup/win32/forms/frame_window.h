// A frame: a child window that draws an etched border with its caption and
// holds controls of its own. It passes its children's notifications
// (commands, notifications, colour and owner-draw requests) on to its
// parent, so that a control inside a frame reacts exactly as one outside.
#pragma once

#include <windows.h>

namespace trellup::win32 {

constexpr wchar_t kFrameClass[] = L"TrellupFrame";

// Registers the window class once per process; false when that failed.
bool RegisterFrameClass(HINSTANCE instance);

}  // namespace trellup::win32
