// The utility-wide selection state that the main window, the device
// commands and the property dialog share (besides the records of
// store/cash_drawer_device.h). Utility thread only.
#pragma once

#include <string>

namespace trellup {

// A tree node as it was when the user right-clicked it. Kept as a copy, so it
// stays meaningful after the tree has been rebuilt.
struct PopupNode {
    bool valid = false;
    std::string text;         // the node's text (device or class name)
    std::string parent_text;  // its parent's text ("" for a class node)
    std::string tag;          // "Class" or "Device"
};

extern std::string gCurNodeText;  // text of the node clicked last; the tree rebuild selects it again
extern std::string gCurClass;     // class of the device clicked last; the argument of every refresh
extern PopupNode gPopupNode;      // the node under the last right-click

// Back to the state at program start, records and mode included (tests).
void ResetUtilityState();

}  // namespace trellup
