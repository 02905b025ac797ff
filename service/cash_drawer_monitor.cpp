// The status monitor: a thread that samples the sensor every
// CheckStatusPeriod and reports each change to the control object.
#include "cash_drawer_core.h"

#include <new>

#include "opos_codes.h"

namespace kestrix {

void CCashDrawer_SOCore::StartStatusThread() {
    if (monitor_.joinable()) return;  // running, or dead after a failed lookup
    try {
        stopSignal_ = platform_.clock->MakeSignal();
        endedSignal_ = platform_.clock->MakeSignal();
        if (!stopSignal_ || !endedSignal_) throw std::bad_alloc();
        monitorRunning_ = 1;  // before the thread exists, so it always sees 1
        monitor_ = std::thread(
            [this, stop = stopSignal_, ended = endedSignal_] { StatusThreadMain(stop, ended); });
        ++monitorGeneration_;
    } catch (...) {
        monitorRunning_ = 0;
        stopSignal_.reset();
        endedSignal_.reset();
    }
}

void CCashDrawer_SOCore::StopStatusThread() { StopMonitor(); }

void CCashDrawer_SOCore::StopMonitor() {
    if (!monitor_.joinable()) return;
    monitorRunning_ = 0;
    const std::shared_ptr<ISignal> stop = stopSignal_;
    const std::shared_ptr<ISignal> ended = endedSignal_;
    const uint64_t generation = monitorGeneration_;
    stop->Set();
    if (monitor_.get_id() == std::this_thread::get_id()) {
        // Called back from inside the event call: the thread ends as soon as
        // the call returns, and the next stop from another thread joins it.
        return;
    }
    ended->WaitDispatching();
    // A handler dispatched during the wait may have stopped (and even
    // restarted) the monitor itself: join only the thread this call stopped
    // (thread ids may be reused, generations are not).
    if (monitor_.joinable() && monitorGeneration_ == generation) {
        monitor_.join();
        stopSignal_.reset();
        endedSignal_.reset();
    }
}

void CCashDrawer_SOCore::StatusThreadMain(std::shared_ptr<ISignal> stop, std::shared_ptr<ISignal> ended) noexcept {
    try {
        StatusThreadProc(*stop);
    } catch (...) {
        // A throwing control object or platform ends the monitor quietly.
    }
    try {
        ended->Set();  // the last thing the thread does with this object
    } catch (...) {
    }
}

// 0 when stopped, -1 without a control object or after a failed lookup.
// The event call may close the device or even destroy the object (a control
// object that runs the application's handler on this thread): after it, the
// shared stop signal is looked at before anything of the object.
int32_t CCashDrawer_SOCore::StatusThreadProc(ISignal& stop) {
    IControlObject* const control = control_;
    if (!control) return -1;
    CCashdrawerControl* const variant = current_;
    auto read = [variant] { return variant ? variant->ReadStatus() : 0; };
    int32_t previous = read();
    while (monitorRunning_.load(std::memory_order_relaxed) == 1) {
        const uint32_t period = static_cast<uint32_t>(checkStatusPeriod_.load(std::memory_order_relaxed));
        if (stop.Wait(period)) break;
        const int32_t current = read();
        if (current == previous) continue;
        int32_t dispid = 0;
        if (!control->LookupStatusUpdate(&dispid)) return -1;
        const int32_t status = current == openStatusPhase_.load(std::memory_order_relaxed) ? opos::kDrawerOpen
                                                                                           : opos::kDrawerClosed;
        if (freezeEvents_.load(std::memory_order_relaxed) == 0) {
            control->InvokeStatusUpdate(dispid, status);
            if (stop.Wait(0)) break;  // stopped (or destroyed) from inside the call
        }
        previous = current;  // a change while frozen is dropped, not queued
    }
    return 0;
}

}  // namespace kestrix
