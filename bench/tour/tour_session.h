// What the demo's tour does around each step: echoes the utility's log as it
// grows, checks what the window shows, saves numbered screenshots, runs the
// bench's command-line tools and drives the property dialog. One thread;
// every wait is bounded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "trellup_driver.h"

namespace trellup_tour {

class TourSession {
public:
    // `shots` is the Windows path of the screenshot folder (created); empty
    // for none.
    explicit TourSession(std::wstring shots);

    trellup::test::Trellup& app() { return app_; }

    // Prints "== <title>".
    void Step(const char* title);
    // False, with "   FAILED: <what>" printed, when `ok` is false; the
    // session then counts as failed.
    bool Expect(bool ok, const std::string& what);
    bool failed() const { return failed_; }

    // Prints the log lines that appeared since the last call.
    void EchoLog();
    // Waits up to 10 s for a log line equal to `line`, echoing the log
    // meanwhile; true once it shows (and the utility has handled it).
    bool WaitLog(const std::wstring& line);
    // Waits up to 5 s for the text of a control.
    bool WaitText(int id, const std::wstring& text);
    // Waits up to 5 s for a control's visibility.
    bool WaitVisible(int id, bool visible);

    // Saves the screen as "<NN>-<name>.png" once the utility has painted
    // (nothing without a screenshot folder).
    void Shot(const char* name);
    const std::vector<std::wstring>& shots() const { return files_; }

    // Runs a bench tool and prints its command line; its exit code, or -1.
    int RunTool(const std::wstring& exe, const std::wstring& args);

    // The property dialog: waits for it (false after `timeout_ms`), picks
    // a hardware model, reads a box, presses a button and waits until the
    // dialog hides.
    bool WaitForDialog(const std::wstring& caption, DWORD timeout_ms);
    bool PickMaster(const std::wstring& name);
    std::wstring DialogText(int id) const;
    bool PressAndWaitHidden(int id);

    // Selects a device of the tree with a click on its label.
    bool Select(const std::wstring& cls, const std::wstring& device);
    // Open, Claim and DeviceEnabled of the selected device.
    bool OpenClaimEnable();

private:
    trellup::test::Trellup app_;
    std::wstring shot_dir_;
    std::vector<std::wstring> files_;
    size_t echoed_ = 0;
    HWND dialog_ = nullptr;
    bool failed_ = false;
};

std::string Narrow(const std::wstring& text);

}  // namespace trellup_tour
