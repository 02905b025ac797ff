#include "platform_win32.h"

#include "common/win32/handle.h"

namespace kestrix::win32 {
namespace {

class EventSignal final : public ISignal {
public:
    EventSignal() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

    void Set() override {
        if (event_) SetEvent(event_.get());
    }

    bool Wait(uint32_t ms) override {
        if (!event_) {
            ::Sleep(ms);
            return false;
        }
        return WaitForSingleObject(event_.get(), ms) == WAIT_OBJECT_0;
    }

    // Runs the calling thread's message loop until the event is set: a
    // control object that posts the status event to this thread's hidden
    // window and holds the monitor until it has been handled gets its answer.
    // Messages already in the queue count too, even when the application has
    // looked at the queue before (MWMO_INPUTAVAILABLE). The event is looked at
    // before every message, so nothing is dispatched once it is set: every
    // message run here may re-enter the caller.
    void WaitDispatching() override { WaitDispatchingFor(INFINITE); }

    // Time-outs are counted from the call, not per message.
    bool WaitDispatchingFor(uint32_t ms) override {
        HANDLE h = event_.get();
        if (!h) return true;
        const ULONGLONG end = GetTickCount64() + ms;
        bool quit = false;
        WPARAM quit_code = 0;
        bool set = true;
        for (;;) {
            DWORD left = INFINITE;
            if (ms != INFINITE) {
                const ULONGLONG now = GetTickCount64();
                left = now >= end ? 0 : static_cast<DWORD>(end - now);
            }
            // The event comes first: with both ready the wait answers index 0.
            const DWORD r = MsgWaitForMultipleObjectsEx(1, &h, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (r == WAIT_TIMEOUT) {
                set = false;
                break;
            }
            if (r != WAIT_OBJECT_0 + 1) break;  // set, or the wait itself failed
            MSG msg;
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
            if (msg.message == WM_QUIT) {
                // Kept for the thread's own message loop, after the wait.
                quit = true;
                quit_code = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (quit) PostQuitMessage(static_cast<int>(quit_code));
        return set;
    }

private:
    common::win32::UniqueKernelHandle event_;
};

}  // namespace

void SystemClock::Sleep(uint32_t ms) { ::Sleep(ms); }

uint64_t SystemClock::NowMs() { return GetTickCount64(); }

std::unique_ptr<ISignal> SystemClock::MakeSignal() { return std::make_unique<EventSignal>(); }

const Platform& SystemPlatform() {
    static RegistryKeyStore keys;
    static ModuleLoader loader;
    static MessageBoxOperator op;
    static SystemBeeper beeper;
    static SystemClock clock;
    static const Platform platform{&keys, &loader, &op, &beeper, &clock};
    return platform;
}

}  // namespace kestrix::win32
