// The status monitor: a thread that samples the sensor every
// CheckStatusPeriod and reports each change to the control object.
#include "cash_drawer_core.h"

#include <algorithm>
#include <new>

namespace kestrix {
namespace {
// Slices of the stop's dispatching wait, so that it notices a monitor that
// entered the event call after the stop began.
constexpr uint32_t kStopSliceMs = 50;
}  // namespace

void CCashDrawer_SOCore::StartStatusThread() {
    if (monitor_.joinable()) return;  // running, or dead after a failed lookup
    try {
        stop_signal_ = platform_.clock->MakeSignal();
        ended_signal_ = platform_.clock->MakeSignal();
        in_event_ = std::make_shared<std::atomic<int32_t>>(0);
        if (!stop_signal_ || !ended_signal_) throw std::bad_alloc();
        // The reference reading is taken before the starting method returns,
        // so that a change right after it (a drawer closed at once after
        // OpenDrawer) is reported even when the thread starts late.
        const int32_t reference = control_ && current_ ? current_->ReadStatus() : 0;
        monitor_running_ = 1;  // before the thread exists, so it always sees 1
        monitor_ = std::thread([this, stop = stop_signal_, ended = ended_signal_, inEvent = in_event_, reference] {
            StatusThreadMain(stop, ended, inEvent, reference);
        });
        ++monitor_generation_;
    } catch (...) {
        monitor_running_ = 0;
        stop_signal_.reset();
        ended_signal_.reset();
        in_event_.reset();
    }
}

void CCashDrawer_SOCore::StopStatusThread() { StopMonitor(); }

void CCashDrawer_SOCore::StopMonitor() {
    if (!monitor_.joinable()) return;
    monitor_running_ = 0;
    const std::shared_ptr<ISignal> stop = stop_signal_;
    const std::shared_ptr<ISignal> ended = ended_signal_;
    const std::shared_ptr<std::atomic<int32_t>> inEvent = in_event_;
    const uint64_t generation = monitor_generation_;
    stop->Set();
    if (monitor_.get_id() == std::this_thread::get_id()) {
        // Called back from inside the event call: the thread ends as soon as
        // the call returns, and the next stop from another thread joins it.
        return;
    }
    // Outside the event call the monitor ends within one port reading: wait
    // for it. Inside, it waits for the application's handler, which may be
    // this very thread's caller: after kEventStopWaitMs it is let go.
    bool letGo = false;
    uint64_t inEventSince = 0;
    bool timing = false;
    while (!ended->WaitDispatchingFor(kStopSliceMs)) {
        if (inEvent->load() == 0) {
            timing = false;
            continue;
        }
        const uint64_t now = platform_.clock->NowMs();
        if (!timing) {
            timing = true;
            inEventSince = now;
        } else if (now - inEventSince >= kEventStopWaitMs) {
            letGo = true;
            break;
        }
    }
    // A handler dispatched during the wait may have stopped (and even
    // restarted) the monitor itself: join only the thread this call stopped
    // (thread ids may be reused, generations are not).
    if (monitor_.joinable() && monitor_generation_ == generation) {
        if (letGo) {
            monitor_.detach();
            try {
                let_go_.push_back(ended);
            } catch (...) {
                // Unrecorded, the library may be unloaded under the thread;
                // there is nothing better to do without memory.
            }
        } else {
            monitor_.join();
        }
        stop_signal_.reset();
        ended_signal_.reset();
        in_event_.reset();
    }
}

bool CCashDrawer_SOCore::LetGoMonitorRunning() {
    let_go_.erase(
        std::remove_if(let_go_.begin(), let_go_.end(), [](const std::shared_ptr<ISignal>& s) { return s->Wait(0); }),
        let_go_.end());
    return !let_go_.empty();
}

void CCashDrawer_SOCore::StatusThreadMain(std::shared_ptr<ISignal> stop, std::shared_ptr<ISignal> ended,
                                          std::shared_ptr<std::atomic<int32_t>> inEvent, int32_t reference) noexcept {
    try {
        StatusThreadProc(*stop, *inEvent, reference);
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
// object that runs the application's handler on this thread), or outlast a
// stop that let this thread go: after it, the shared stop signal is looked at
// before anything of the object.
int32_t CCashDrawer_SOCore::StatusThreadProc(ISignal& stop, std::atomic<int32_t>& inEvent, int32_t reference) {
    IControlObject* const control = control_;
    if (!control) return -1;
    CCashdrawerControl* const variant = current_;
    auto read = [variant] { return variant ? variant->ReadStatus() : 0; };
    int32_t previous = reference;
    while (monitor_running_.load(std::memory_order_relaxed) == 1) {
        // 0 would spin on the port lock, a negative value would never read.
        const int32_t period = std::max(check_status_period_.load(std::memory_order_relaxed), kMinStatusPeriodMs);
        if (stop.Wait(static_cast<uint32_t>(period))) break;
        const int32_t current = read();
        if (current == previous) continue;
        int32_t dispid = 0;
        if (!control->LookupStatusUpdate(&dispid)) return -1;
        const int32_t status =
            current == open_status_phase_.load(std::memory_order_relaxed) ? opos::kDrawerOpen : opos::kDrawerClosed;
        if (freeze_events_.load(std::memory_order_relaxed) == 0) {
            inEvent.store(1);
            control->InvokeStatusUpdate(dispid, status);
            inEvent.store(0);
            if (stop.Wait(0)) break;  // stopped, let go or destroyed meanwhile
        }
        previous = current;  // a change while frozen is dropped, not queued
    }
    return 0;
}

}  // namespace kestrix
