// The static entries find their object and keep every exception inside.
#include "common/win32/window_base.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace common::win32::test {
namespace {

constexpr wchar_t kClass[] = L"WindowBaseTest";

class Window : public WindowBase<Window> {
public:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
        seen.push_back(msg);
        if (msg == WM_SETTEXT && throw_on_text) throw std::runtime_error("handler failed");
        if (msg == WM_USER) return 42;
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
    std::vector<UINT> seen;
    bool throw_on_text = false;
};

class Dialog : public DialogBase<Dialog> {
public:
    INT_PTR OnInitDialog() {
        init_hwnd = hwnd_;
        return TRUE;
    }
    INT_PTR OnMessage(UINT msg, WPARAM, LPARAM) {
        if (msg == WM_APP) throw std::runtime_error("handler failed");
        if (msg == WM_APP + 1) {
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 7);
            return TRUE;
        }
        return FALSE;
    }
    HWND init_hwnd = nullptr;
};

// Sees a static control's messages first.
struct Watcher {
    LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_USER) ++calls;
        if (msg == WM_USER + 1) throw std::runtime_error("handler failed");
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    int calls = 0;
};

class WindowBaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Window::Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
    }
    static HWND Make(Window& w) {
        return CreateWindowExW(0, kClass, L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), &w);
    }
};

TEST_F(WindowBaseTest, WindowFindsItsObjectFromCreationOn) {
    Window w;
    HWND hwnd = Make(w);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(w.hwnd(), hwnd);
    ASSERT_FALSE(w.seen.empty());
    EXPECT_EQ(w.seen.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 42);
    DestroyWindow(hwnd);
}

TEST_F(WindowBaseTest, ThrowingHandlerLeavesTheMessageToTheDefault) {
    Window w;
    HWND hwnd = Make(w);
    ASSERT_NE(hwnd, nullptr);
    w.throw_on_text = true;
    EXPECT_TRUE(SetWindowTextW(hwnd, L"kept"));
    wchar_t text[16] = L"seed";
    GetWindowTextW(hwnd, text, 16);
    EXPECT_STREQ(text, L"kept");
    DestroyWindow(hwnd);
}

TEST_F(WindowBaseTest, DialogFindsItsObjectAndForgetsItsWindow) {
    // A template with no controls, in memory.
    struct alignas(4) {
        DLGTEMPLATE t;
        WORD menu, cls, title;
    } tmpl{};
    tmpl.t.style = WS_POPUP;
    tmpl.t.cx = 50;
    tmpl.t.cy = 50;
    Dialog d;
    HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tmpl.t, nullptr, Dialog::Procedure,
                                           reinterpret_cast<LPARAM>(&d));
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(d.init_hwnd, hwnd);
    EXPECT_EQ(d.hwnd(), hwnd);
    EXPECT_EQ(SendMessageW(hwnd, WM_APP + 1, 0, 0), 7);
    EXPECT_EQ(SendMessageW(hwnd, WM_APP, 0, 0), 0);  // thrown inside: not handled, dialog goes on
    EXPECT_TRUE(IsWindow(hwnd));
    DestroyWindow(hwnd);
    EXPECT_EQ(d.hwnd(), nullptr);
}

TEST_F(WindowBaseTest, SubclassSeesMessagesUntilRemoved) {
    HWND control = CreateWindowExW(0, L"STATIC", L"text", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    Watcher watcher;
    ASSERT_TRUE(Subclass<&Watcher::OnMessage>(control, &watcher));
    SendMessageW(control, WM_USER, 0, 0);
    SendMessageW(control, WM_USER + 1, 0, 0);  // thrown inside: the control goes on
    EXPECT_EQ(watcher.calls, 1);
    Unsubclass<&Watcher::OnMessage>(control, &watcher);
    SendMessageW(control, WM_USER, 0, 0);
    EXPECT_EQ(watcher.calls, 1);
    DestroyWindow(control);
}

}  // namespace
}  // namespace common::win32::test
