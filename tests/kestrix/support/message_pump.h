// The test thread's message pump and the process's heap check, shared by the
// tests of Kestrix.dll, the control-object client and the bench's long runs.
#pragma once

#include <windows.h>

#include <functional>

namespace kestrix::test {

// Dispatches this thread's messages until `done` holds or `ms` passes; true
// if it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Every heap of this process passes validation (with Wine's heap checking,
// a freed block that was written to does not).
inline bool AllHeapsValid() {
    HANDLE heaps[64];
    const DWORD n = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < n && i < 64; ++i) {
        if (!HeapValidate(heaps[i], 0, nullptr)) return false;
    }
    return n > 0;
}

}  // namespace kestrix::test
