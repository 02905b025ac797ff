// What GUI tests of Trellup.exe share: starting it, selecting a device,
// waiting for log lines, the device menu, message boxes, pixels, screenshots
// and the bench's command-line tools.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_bench.h"
#include "resource_ids.h"
#include "trellup_driver.h"

namespace trellup::test {

class GuiTest : public ::testing::Test {
protected:
    void Start() { ASSERT_TRUE(app.Start(TrellupExe())) << "Trellup.exe did not show its window"; }

    void SelectDevice(const std::wstring& cls, const std::wstring& device) {
        HTREEITEM item = app.FindTreeItem(IDC_TreeView1, cls, device);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(app.ClickTreeItem(IDC_TreeView1, item));
    }
    void OpenClaimEnable() {
        app.Click(IDC_cmdOpen);
        app.Click(IDC_cmdClaim);
        ASSERT_TRUE(WaitForLogLine(L"Claim : [0] Success"));
        app.Click(IDC_cmdEnable);
        ASSERT_EQ(app.Text(IDC_DeviceEnabled), L"True");
    }

    // Waits up to 10 s for the line, then until the utility has handled it.
    bool WaitForLogLine(const std::wstring& line) const {
        for (int i = 0; i < 200; ++i) {
            for (const std::wstring& l : app.ListItems(IDC_List1)) {
                if (l != line) continue;
                app.Sync();
                return true;
            }
            Sleep(50);
        }
        return false;
    }

    // Right-clicks a device and chooses entry `index` (from 1) of its menu.
    void DeviceMenu(const std::wstring& cls, const std::wstring& device, int index) {
        ASSERT_TRUE(app.ClickTreeItem(IDC_TreeView1, app.FindTreeItem(IDC_TreeView1, cls, device), true));
        Sleep(500);
        std::vector<WORD> keys(static_cast<size_t>(index), VK_DOWN);
        keys.push_back(VK_RETURN);
        trellup::test::Trellup::PressKeys(keys);
    }

    // Waits for the box, checks it, saves screenshot `shot` if given, and
    // presses `button`.
    void ExpectBox(const std::wstring& caption, const std::wstring& text, bool icon, int button = IDOK,
                   const char* shot = nullptr) {
        trellup::test::MessageBoxSeen box;
        ASSERT_TRUE(trellup::test::WaitForBox(caption, &box)) << "no box " << caption;
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.has_icon, icon);
        if (shot != nullptr) {
            Sleep(300);
            Shot(shot);
        }
        ASSERT_TRUE(trellup::test::AnswerBox(box, button));
    }

    // The background inside both ends of a control, where no text is drawn.
    void ExpectBackground(int id, COLORREF colour) const {
        const RECT rc = app.ClientRect(id);
        EXPECT_EQ(app.Pixel(id, 3, 3), colour) << id;
        EXPECT_EQ(app.Pixel(id, rc.right - rc.left - 4, rc.bottom - rc.top - 4), colour) << id;
    }
    bool Checked(int id) const { return SendMessageW(app.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Shot(const char* name) { trellup::test::SaveScreenshot(ScreenshotPath(name)); }

    // Runs a bench tool to its end; its exit code, or -1.
    static int RunTool(const std::wstring& exe, const std::wstring& args) {
        std::wstring command = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                            &pi)) {
            return -1;
        }
        WaitForSingleObject(pi.hProcess, 20000);
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return static_cast<int>(code);
    }

    trellup::test::Trellup app;
};

}  // namespace trellup::test
