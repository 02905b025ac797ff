#include "command_runner.h"

namespace trellup::win32 {

CommandRunner* CommandRunner::hooked_ = nullptr;

CommandRunner::CommandRunner(HWND window) : window_(window) {
    hooked_ = this;
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, InputHook, nullptr, GetCurrentThreadId());
}

CommandRunner::~CommandRunner() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    if (hooked_ == this) hooked_ = nullptr;
}

void CommandRunner::Run(const std::function<void()>& command) {
    if (running_) return;
    running_ = true;
    // Ends the command even when it throws; a close asked for meanwhile
    // follows it.
    struct Done {
        CommandRunner& r;
        ~Done() {
            r.running_ = false;
            if (r.close_pending_) PostMessageW(r.window_, WM_CLOSE, 0, 0);
        }
    } done{*this};
    command();
}

bool CommandRunner::DeferClose() {
    if (running_) close_pending_ = true;
    return running_;
}

void CommandRunner::EnableWindowFor(HWND window, bool enabled) {
    MSG msg;
    if (enabled) {
        while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        }
        while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        }
    }
    EnableWindow(window, enabled ? TRUE : FALSE);
    if (!enabled) {
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        // Lets the system show what was drawn (and remove a closed box).
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
}

LRESULT CALLBACK CommandRunner::InputHook(int code, WPARAM wp, LPARAM lp) {
    // While a command runs, a control object that dispatches messages would
    // hand keys and clicks to the window's controls: the tree would move its
    // highlight, a check box would flip without its command. They are
    // dropped before anyone sees them; events (posted messages) still flow,
    // and menus and message boxes opened by the command take input as usual.
    CommandRunner* self = hooked_;
    if (code == HC_ACTION && wp == PM_REMOVE && self != nullptr && self->running_) {
        auto* msg = reinterpret_cast<MSG*>(lp);
        const bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                           (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST) ||
                           (msg->message >= WM_NCMOUSEMOVE && msg->message <= WM_NCXBUTTONDBLCLK);
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        const bool in_menu =
            GetGUIThreadInfo(GetCurrentThreadId(), &gui) && (gui.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0;
        if (input && !in_menu && msg->hwnd != nullptr && IsChild(self->window_, msg->hwnd)) msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace trellup::win32
