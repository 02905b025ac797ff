// The Windows side of the platform interfaces against Wine's real registry,
// loader, message boxes and message queues.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>
#include <thread>

#include <gtest/gtest.h>

#include "platform_win32.h"
#include "ui_automation.h"

namespace {

using kestrix::test::BoxAnswerer;
using kestrix::win32::ModuleLoader;
using kestrix::win32::RegistryKeyStore;
using kestrix::win32::SystemClock;

const wchar_t kTestKey[] = L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\KxPlatformTest";

class RegistryKeyStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        const DWORD timeout = 1500;
        RegSetValueExW(k, L"Timeout", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&timeout), sizeof timeout);
        const wchar_t text[] = L"Drawer";
        RegSetValueExW(k, L"DeviceDesc", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
        RegCloseKey(k);
    }
    void TearDown() override { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTestKey); }
    RegistryKeyStore store;
};

TEST_F(RegistryKeyStoreTest, ValueNamesMatchWithoutRegardToCase) {
    const auto key = store.OpenKey(reinterpret_cast<const char16_t*>(kTestKey));
    ASSERT_NE(key, 0u);
    uint32_t type = 0xFFFF, value = 0, size = 4;
    ASSERT_TRUE(store.QueryValue(key, u"TimeOut", &type, &value, &size));
    EXPECT_EQ(type, static_cast<uint32_t>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(value, 1500u);
    store.CloseKey(key);
}

TEST_F(RegistryKeyStoreTest, TooSmallABufferOrAMissingValueFails) {
    const auto key = store.OpenKey(reinterpret_cast<const char16_t*>(kTestKey));
    ASSERT_NE(key, 0u);
    uint32_t type = 0, size = 4;
    char16_t buf[2] = {u'x', u'y'};
    EXPECT_FALSE(store.QueryValue(key, u"DeviceDesc", &type, buf, &size)) << "14 bytes do not fit in 4";
    size = sizeof buf;
    EXPECT_FALSE(store.QueryValue(key, u"NoSuchValue", &type, buf, &size));
    store.CloseKey(key);
    EXPECT_EQ(store.OpenKey(u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\NoSuchDevice"), 0u);
}

TEST(ModuleLoaderTest, LoadsByFullPathAndFindsExports) {
    ModuleLoader loader;
    const std::wstring path = kestrix::test::WinIoDir() + L"\\WinIo32.dll";
    auto lib = loader.Load(reinterpret_cast<const char16_t*>(path.c_str()));
    ASSERT_TRUE(lib);
    EXPECT_NE(lib->Symbol("GetPortVal"), nullptr);
    EXPECT_EQ(lib->Symbol("NoSuchExport"), nullptr);
    const std::wstring missing = kestrix::test::WinIoDir() + L"\\nowhere\\WinIo32.dll";
    EXPECT_FALSE(loader.Load(reinterpret_cast<const char16_t*>(missing.c_str())));
}

TEST(SystemClockTest, SignalWaitsTimeOutUntilSet) {
    SystemClock clock;
    auto signal = clock.MakeSignal();
    const uint64_t t0 = clock.NowMs();
    EXPECT_FALSE(signal->Wait(50));
    EXPECT_GE(clock.NowMs() - t0, 40u);
    signal->Set();
    EXPECT_TRUE(signal->Wait(0));
    EXPECT_TRUE(signal->Wait(10000)) << "stays set";
}

std::atomic<int> g_handled{0};

LRESULT CALLBACK CountingWindowProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP) {
        ++g_handled;
        return 42;
    }
    return DefWindowProcW(h, m, w, l);
}

// A message-only window of this thread that counts the WM_APP it handles;
// the caller destroys it.
HWND CountingWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KxCountingWindow";
    RegisterClassW(&wc);  // fails harmlessly once registered
    return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

// A thread that sends a message to this thread's window and only then sets
// the signal: a wait that did not dispatch would never return.
TEST(SystemClockTest, DispatchingWaitServesMessagesSentToThisThread) {
    HWND hwnd = CountingWindow();
    ASSERT_TRUE(hwnd);

    SystemClock clock;
    auto signal = clock.MakeSignal();
    LRESULT answer = 0;
    std::thread sender([&] {
        answer = SendMessageW(hwnd, WM_APP, 0, 0);
        PostMessageW(hwnd, WM_APP, 0, 0);
        signal->Set();
    });
    signal->WaitDispatching();
    sender.join();
    EXPECT_EQ(answer, 42);
    EXPECT_GE(g_handled.load(), 1);
    DestroyWindow(hwnd);
}

// The application looked at its queue (the message is no longer "new") before
// the wait began: the message must be served all the same.
TEST(SystemClockTest, DispatchingWaitServesMessagesTheQueueAlreadyHeld) {
    HWND hwnd = CountingWindow();
    ASSERT_TRUE(hwnd);
    const int before = g_handled.load();

    SystemClock clock;
    auto signal = clock.MakeSignal();
    std::atomic<bool> posted{false};
    std::thread poster([&] {
        PostMessageW(hwnd, WM_APP, 0, 0);
        posted = true;
        // Like a control object holding the monitor: set only once handled.
        while (g_handled.load() == before) Sleep(5);
        signal->Set();
    });
    while (!posted) Sleep(5);
    EXPECT_NE(HIWORD(GetQueueStatus(QS_POSTMESSAGE)), 0u);  // seen: no longer new
    signal->WaitDispatching();
    poster.join();
    EXPECT_EQ(g_handled.load(), before + 1);
    DestroyWindow(hwnd);
}

// A signal already set: the wait returns without running any message, since
// every message run there may re-enter the waiting method.
TEST(SystemClockTest, DispatchingWaitRunsNothingOnceTheSignalIsSet) {
    HWND hwnd = CountingWindow();
    ASSERT_TRUE(hwnd);
    const int before = g_handled.load();
    SystemClock clock;
    auto signal = clock.MakeSignal();
    PostMessageW(hwnd, WM_APP, 0, 0);
    signal->Set();
    signal->WaitDispatching();
    EXPECT_EQ(g_handled.load(), before);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, hwnd, WM_APP, WM_APP, PM_REMOVE)) << "still queued for the thread's own loop";
    DestroyWindow(hwnd);
}

TEST(SystemClockTest, DispatchingWaitKeepsAQuitMessageForTheThreadsOwnLoop) {
    SystemClock clock;
    auto signal = clock.MakeSignal();
    PostQuitMessage(7);
    std::thread setter([&] {
        Sleep(50);
        signal->Set();
    });
    signal->WaitDispatching();
    setter.join();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

// What the operator asks the system for: no owner, no icon, topmost and in
// front, so that a full-screen, topmost POS application cannot hide the box.
struct ShownBox {
    HWND owner;
    std::wstring text, caption;
    UINT type;
};
std::vector<ShownBox> g_shown;
int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    g_shown.push_back({owner, text, caption, type});
    return IDYES;
}

TEST(MessageBoxOperatorTest, BoxesAreOwnerlessIconlessTopmostAndInFront) {
    g_shown.clear();
    kestrix::win32::MessageBoxOperator op(&RecordBox);
    EXPECT_TRUE(op.AskYesNo(u"Caption", u"Question"));
    op.ShowOk(u"Caption", u"Notice");
    ASSERT_EQ(g_shown.size(), 2u);
    const UINT expected[] = {MB_YESNO | MB_TOPMOST | MB_SETFOREGROUND, MB_OK | MB_TOPMOST | MB_SETFOREGROUND};
    const wchar_t* texts[] = {L"Question", L"Notice"};
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(g_shown[i].owner, nullptr);
        EXPECT_EQ(g_shown[i].type, expected[i]);
        EXPECT_EQ(g_shown[i].text, texts[i]);
        EXPECT_EQ(g_shown[i].caption, L"Caption");
    }
}

// The real boxes: the text as given, no icon, no owner, in front. (Wine's
// boxes do not take the topmost flag over into the window's style.)
TEST(MessageBoxOperatorTest, AsksWithoutIconInFrontAndReportsTheAnswer) {
    kestrix::win32::MessageBoxOperator op;
    struct Case {
        bool ask;
        const wchar_t* caption;
        const wchar_t* text;
        int button;
        bool answer;
    } cases[] = {
        {true, L"Kx Operator Test", L"Line one\r\n line two", IDYES, true},
        {true, L"Kx Operator Test", L"Again?", IDNO, false},
        {false, L"Kx Operator Ok", L"Close it", IDOK, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + wcslen(c.text)));
        BoxAnswerer answerer(c.caption, c.button);
        const auto* caption = reinterpret_cast<const char16_t*>(c.caption);
        const auto* text = reinterpret_cast<const char16_t*>(c.text);
        if (c.ask) {
            EXPECT_EQ(op.AskYesNo(caption, text), c.answer);
        } else {
            op.ShowOk(caption, text);
        }
        ASSERT_TRUE(answerer.Join());
        EXPECT_EQ(answerer.text(), c.text);
        EXPECT_FALSE(answerer.had_icon());
        EXPECT_FALSE(answerer.had_owner());
        EXPECT_TRUE(answerer.was_foreground());
    }
}

}  // namespace
