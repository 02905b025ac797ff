// Kestrix.dll re-entered while its own methods run the thread's message loop,
// and released from inside its status event. Run with Wine's heap checking
// (freed blocks are filled and validated), so that any use of a freed object
// shows up as a crash or as a heap that fails validation.
#include <windows.h>
#include <oaidl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "Kestrix.h"
#include "com_fixture.h"
#include "event_control.h"
#include "message_pump.h"
#include "process_threads.h"
#include "ui_automation.h"

namespace kestrix::test {
namespace {

constexpr UINT kPostedEvent = WM_APP + 7;

// A use of freed memory usually ends in an access violation: report it and
// end the process at once instead of waiting for a debugger.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* e) {
    std::fprintf(stderr, "crash: exception %08lx at %p\n",
                 static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode), e->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
struct CrashReport : ::testing::Environment {
    CrashReport() { SetUnhandledExceptionFilter(&ReportCrash); }
};
::testing::Environment* const g_crash_report = ::testing::AddGlobalTestEnvironment(new CrashReport);

HRESULT CanUnloadNow() {
    using Fn = HRESULT(WINAPI*)();
    HMODULE m = GetModuleHandleW(KestrixDll().c_str());
    auto fn = m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, "DllCanUnloadNow"))) : nullptr;
    return fn ? fn() : E_FAIL;
}

// A hidden window of the test's thread: a message posted to it runs `handler`.
class PostTarget {
public:
    PostTarget() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &PostTarget::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KxReentryTarget";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~PostTarget() { DestroyWindow(hwnd_); }
    PostTarget(const PostTarget&) = delete;
    PostTarget& operator=(const PostTarget&) = delete;
    void Post() { PostMessageW(hwnd_, kPostedEvent, 0, 0); }
    std::function<void()> handler;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == kPostedEvent) {
            auto* self = reinterpret_cast<PostTarget*>(GetWindowLongPtrW(h, GWLP_USERDATA));
            if (self && self->handler) self->handler();
            return 0;
        }
        return DefWindowProcW(h, m, w, l);
    }
    HWND hwnd_ = nullptr;
};

class Reentry : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_EQ(CoCreateInstance(CLSID_CashDrawer_SO, nullptr, CLSCTX_INPROC_SERVER, IID_ICashDrawer_SO,
                                   reinterpret_cast<void**>(&so)),
                  S_OK);
        BSTR cls = SysAllocString(L"CashDrawer");
        BSTR name = SysAllocString(L"KxWineDrawer");
        LONG rc = -7;
        EXPECT_EQ(so->OpenService(cls, name, &control, &rc), S_OK);
        EXPECT_EQ(rc, 0);
        SysFreeString(cls);
        SysFreeString(name);
        EXPECT_EQ(so->ClaimDevice(0, &rc), S_OK);
        EXPECT_EQ(so->SetPropertyNumber(3, 1), S_OK);
        threads = ThreadsOfThisProcess();
        Sleep(250);  // the monitor's first reading is its reference
    }
    // The application closes the device and drops its only reference.
    void CloseAndRelease() {
        LONG rc = -7;
        EXPECT_EQ(so->CloseService(&rc), S_OK);
        EXPECT_EQ(rc, 0);
        so->Release();
        so = nullptr;
    }
    // Afterwards: the object is gone, its monitor too, and every heap is sound.
    void ExpectEndedCleanly() {
        EXPECT_EQ(so, nullptr) << "the handler ran";
        EXPECT_EQ(CanUnloadNow(), S_OK) << "the object was freed after the method";
        int now = -1;
        EXPECT_TRUE(PumpUntil([&] { return (now = ThreadsOfThisProcess()) <= threads - 1; }, 5000))
            << "the monitor ended: " << now << " threads now, " << threads << " while it ran";
        EXPECT_TRUE(AllHeapsValid());
    }

    void TearDown() override {
        control.onEvent = nullptr;
        if (handled_) CloseHandle(handled_);
    }
    // The control object posts the status event to the application's thread
    // and holds the monitor until it is handled there, where `handler` runs
    // (in a method's monitor stop, or in the destruction). Opens the drawer by
    // hand and returns once the monitor is inside the event call.
    bool HoldEventUntilPostedHandler(std::function<void()> handler) {
        if (handled_) CloseHandle(handled_);
        handled_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        inside_ = false;
        control.onEvent = [this] {
            inside_ = true;
            target_.Post();
            WaitForSingleObject(handled_, 10000);
        };
        target_.handler = [this, handler] {
            SetEvent(handled_);
            handler();
        };
        bench.machine().open_by_hand(0);
        // Waits without dispatching: the posted event is for the method.
        for (int t = 0; t < 500 && !inside_; ++t) Sleep(10);
        return inside_;
    }

    Bench bench;
    EventControl control;
    ICashDrawer_SO* so = nullptr;  // the application's only reference
    int threads = 0;               // counted while the monitor runs

private:
    PostTarget target_;
    HANDLE handled_ = nullptr;
    std::atomic<bool> inside_{false};
};

// The control object posts the status event to the application's thread
// and holds the monitor until it is handled; the application's handler runs
// in the method's monitor stop, closes the device and releases the object.
TEST_F(Reentry, PostedMessageClosingAndReleasingDuringAMethod) {
    struct Case {
        const char* name;
        std::function<LONG(ICashDrawer_SO*)> method;
        LONG expected;
    } cases[] = {
        {"OpenDrawer",
         [](ICashDrawer_SO* s) {
             LONG rc = -7;
             s->OpenDrawer(&rc);
             return rc;
         },
         0},
        {"CloseService",
         [](ICashDrawer_SO* s) {
             LONG rc = -7;
             s->CloseService(&rc);
             return rc;
         },
         0},
        {"CheckHealth 2",
         [](ICashDrawer_SO* s) {
             LONG rc = -7;
             s->CheckHealth(2, &rc);
             return rc;
         },
         0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        if (i > 0) {
            bench.machine().close_drawer(0);  // the new monitor's reference reading
            SetUp();
        }
        ASSERT_TRUE(HoldEventUntilPostedHandler([&] { CloseAndRelease(); }));
        ICashDrawer_SO* const held = so;   // the method runs on what the application held
        threads = ThreadsOfThisProcess();  // the monitor is inside the event call
        EXPECT_EQ(c.method(held), c.expected);
        ExpectEndedCleanly();
        control.onEvent = nullptr;  // none for the next case's own start
    }
}

// The application drops its last reference while the status event waits on
// its thread: destruction stops the monitor and dispatches that event, and
// the handler still calls the object it was given. Its reference counting
// there must not end the object a second time.
TEST_F(Reentry, FinalReleaseDispatchingAHandlerThatCallsTheObject) {
    ICashDrawer_SO* const dying = so;
    LONG rc = -7;
    ASSERT_TRUE(HoldEventUntilPostedHandler([&] { dying->CloseService(&rc); }));
    threads = ThreadsOfThisProcess();
    so->Release();
    so = nullptr;
    EXPECT_EQ(rc, 0) << "the handler ran during the destruction";
    ExpectEndedCleanly();
}

Reentry* g_timed = nullptr;
std::atomic<bool> g_fired{false};

void CALLBACK CloseAndReleaseOnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!g_timed || !g_timed->so) return;
    g_timed->CloseAndRelease();
    g_fired = true;
}

// A timer fires while the interactive check's first box is up; its handler
// closes the device and releases the object. The operator then says Yes:
// the check runs on, and ends without starting a monitor for the closed device.
TEST_F(Reentry, TimerClosingAndReleasingDuringTheInteractiveCheck) {
    g_timed = this;
    g_fired = false;
    ASSERT_NE(SetTimer(nullptr, 0, 50, &CloseAndReleaseOnTimer), 0u);
    const std::wstring caption = L"Cash Drawer Chek Health Interactive";
    kestrix::test::BoxAnswerer yes(caption, IDYES, 20000, [] {
        for (int i = 0; i < 500 && !g_fired; ++i) Sleep(10);
    });
    std::unique_ptr<kestrix::test::BoxAnswerer> ok;
    std::thread watcher([&] {
        yes.Join();
        ok = std::make_unique<kestrix::test::BoxAnswerer>(caption, IDOK, 20000,
                                                          [&] { bench.machine().close_drawer(0); });
        ok->Join();
    });
    ICashDrawer_SO* const held = so;
    LONG rc = -7;
    EXPECT_EQ(held->CheckHealth(3, &rc), S_OK);
    watcher.join();
    EXPECT_TRUE(g_fired.load());
    g_timed = nullptr;
    EXPECT_EQ(rc, 0);
    ExpectEndedCleanly();
}

// A control object that runs the application's handler synchronously on the
// calling (monitor) thread, and the handler closes and releases the object:
// the object is destroyed on its own monitor thread. The thread ends without
// std::terminate and without touching the freed object; the library stays
// loaded, since that thread still ran its code after the object was gone.
TEST_F(Reentry, ReleasedFromInsideTheEventOnTheMonitorThread) {
    std::atomic<bool> released{false};
    control.onEvent = [&] {
        if (released) return;
        CloseAndRelease();
        released = true;
    };
    bench.machine().open_by_hand(0);
    ASSERT_TRUE(PumpUntil([&] { return released.load(); }, 5000));
    ExpectEndedCleanly();
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_NE(GetModuleHandleW(KestrixDll().c_str()), nullptr) << "kept loaded";
    control.onEvent = nullptr;
}

}  // namespace
}  // namespace kestrix::test
