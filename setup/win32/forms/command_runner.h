// Runs the user's commands on a window one at a time. A control object may
// dispatch messages while it works; the runner keeps the user's keys and
// clicks from reaching the window meanwhile (posted messages, and so the
// control object's events, still flow), and a close asked for meanwhile
// waits for the command. Utility thread only; one runner at a time.
#pragma once

#include <windows.h>

#include <functional>

namespace trellup::win32 {

class CommandRunner {
public:
    // `window` must outlive the runner.
    explicit CommandRunner(HWND window);
    ~CommandRunner();
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Runs `command` unless another one is still running.
    void Run(const std::function<void()>& command);
    bool Running() const { return running_; }
    // For WM_CLOSE: true when the close waits for the running command (it
    // is asked again once the command ends).
    bool DeferClose();

    // The form blocks its window for the length of a call it makes, and
    // unblocks it after. Blocked, the window is drawn once more first (a
    // message box just closed over it would stay on screen otherwise);
    // keys and clicks that reached it meanwhile were not for it and are
    // dropped before it takes input again.
    static void EnableWindowFor(HWND window, bool enabled);

private:
    static LRESULT CALLBACK InputHook(int code, WPARAM wp, LPARAM lp);

    HWND window_;
    HHOOK hook_ = nullptr;
    bool running_ = false;
    bool close_pending_ = false;
    static CommandRunner* hooked_;
};

}  // namespace trellup::win32
