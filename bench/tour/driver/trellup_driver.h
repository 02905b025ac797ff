// Drives a running Trellup.exe from another process, as a person would,
// with window messages: finds controls by their IDs, reads texts, clicks,
// selects tree items, reads tool tips and pixels, answers message boxes and
// takes screenshots. Used by the GUI tests and by the demo's tour. Both
// processes must have the same bitness (tree items and tool tips are read
// through memory placed in the utility's process).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace trellup::test {

class Trellup {
public:
    Trellup() = default;
    ~Trellup();
    Trellup(const Trellup&) = delete;
    Trellup& operator=(const Trellup&) = delete;

    // Starts `exe` (its folder as the working folder) and waits until its
    // main window is visible and idle. False on failure or time-out.
    bool Start(const std::wstring& exe, DWORD timeout_ms = 30000);
    // Closes the window and waits for the process to end (kills it after
    // the time-out). True when it ended by itself.
    bool Close(DWORD timeout_ms = 15000);
    HWND main() const { return main_; }
    DWORD process_id() const { return pid_; }

    // The descendant of the main window (or of `root`) with this ID.
    HWND Control(int id, HWND root = nullptr) const;
    std::wstring Text(int id) const;
    bool Visible(int id) const;
    bool Enabled(int id) const;  // the control and every parent up to the main window

    // Waits until the utility has handled every message sent before (a
    // nested message loop counts).
    void Sync() const;
    // Clicks a button, check box or picture and waits for it to be handled.
    void Click(int id) const;
    // Clicks without waiting: for a click that opens a modal window.
    void PostClick(int id) const;
    // Types one character into a control (WM_CHAR); returns once it is handled.
    void Type(int id, wchar_t c) const;
    // Sets a control's text from outside, as a paste would, and waits.
    void SetText(int id, const std::wstring& text) const;

    std::vector<std::wstring> ListItems(int id) const;
    int ListIndex(int id) const;

    struct TreeItem {
        HTREEITEM item;
        std::wstring text;
        int image;
        int selected_image;
        int level;  // 0 for a class, 1 for a device
    };
    std::vector<TreeItem> Tree(int id) const;
    HTREEITEM FindTreeItem(int id, const std::wstring& parent_text, const std::wstring& text) const;
    HTREEITEM SelectedTreeItem(int id) const;
    // Clicks the item's label with the left (waits) or right button (does
    // not wait: a popup menu opens).
    bool ClickTreeItem(int id, HTREEITEM item, bool right = false) const;
    // Right-clicks empty space below the last item.
    bool RightClickTreeSpace(int id) const;

    // The tool tip text registered for a control.
    std::wstring ToolTip(int id) const;
    // The colour of the screen pixel at (dx, dy) from the control's
    // top-left corner (window uncovered).
    COLORREF Pixel(int id, int dx, int dy) const;
    // A control's rectangle relative to the main window's client area.
    RECT ClientRect(int id) const;

    // Presses keys (virtual-key codes) as keyboard input.
    static void PressKeys(const std::vector<WORD>& keys);

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

// A message box of any process, found by its caption.
struct MessageBoxSeen {
    HWND hwnd = nullptr;
    std::wstring text;
    bool has_icon = false;
};
// Waits for a visible "#32770" window titled `caption`.
bool WaitForBox(const std::wstring& caption, MessageBoxSeen* box, DWORD timeout_ms = 20000);
// Presses a button of the box (IDOK, IDYES, IDNO) and waits until it is gone.
bool AnswerBox(const MessageBoxSeen& box, int button, DWORD timeout_ms = 10000);

// The accessible name a screen reader hears for a window of any process
// (its client object), and its role (ROLE_SYSTEM_...) and value when asked
// for; "<none>" when it has none.
std::wstring AccessibleName(HWND hwnd, long* role = nullptr, std::wstring* value = nullptr);

// Writes the whole screen as a PNG file.
bool SaveScreenshot(const std::wstring& path);

// A Windows path of a Unix one (Wine's Z: drive).
std::wstring WindowsPath(const std::string& unix_path);

}  // namespace trellup::test
