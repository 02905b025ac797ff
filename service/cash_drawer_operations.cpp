// The sensor waits, OpenDrawer and WaitForDrawerClose.
#include "cash_drawer_core.h"

namespace kestrix {
namespace {
constexpr int32_t kLowestBeepHz = 37;
constexpr int32_t kHighestBeepHz = 32767;
}  // namespace

int32_t CCashDrawer_SOCore::WaitForReading(int32_t ms, bool wantOpen) {
    if (!HardwareReady()) return 0;
    // A negative wait takes no reading: taken as unsigned it would poll for
    // about 50 days. Any positive wait keeps its length, however long.
    const int32_t polls = ms < 0 ? 0 : ms / 100;
    for (int32_t i = 0; i < polls; ++i) {
        platform_.clock->Sleep(100);
        const bool open = current_->ReadStatus() == open_status_phase_;
        if (open == wantOpen) return 1;
    }
    return 0;
}

int32_t CCashDrawer_SOCore::WaitDrawerOpened(int32_t ms) { return WaitForReading(ms, true); }

int32_t CCashDrawer_SOCore::WaitDrawerClosed(int32_t ms) { return WaitForReading(ms, false); }

int32_t CCashDrawer_SOCore::OpenDrawer() {
    if (device_enabled_ == 0) return Store(opos::kDisabled);
    if (claimed_ != 1) return Store(opos::kNotClaimed);
    if (!HardwareReady()) return Store(opos::kFailure);
    const uint32_t closings = closings_;
    StopStatusThread();
    current_->Pulse(pulse_on_time_);
    const int32_t r = WaitDrawerOpened(time_out_);
    RestartMonitorUnlessClosedSince(closings);
    return Store(r == 1 ? opos::kSuccess : opos::kFailure);
}

void CCashDrawer_SOCore::RestartMonitorUnlessClosedSince(uint32_t closings) {
    if (closings_ == closings) StartStatusThread();
}

int32_t CCashDrawer_SOCore::WaitForDrawerClose(int32_t beepTimeout, int32_t beepFrequency, int32_t beepDuration,
                                               int32_t beepDelay) {
    if (opened_ == 0) return Store(opos::kClosed);
    if (device_enabled_ == 0) return Store(opos::kDisabled);
    if (claimed_ == 0) return Store(opos::kNotClaimed);
    if (WaitDrawerClosed(beepTimeout) == 1) return Store(opos::kSuccess);
    const int32_t delay = beepDelay < 100 ? 100 : beepDelay;
    // A negative duration would block the beeper for about 49 days; the
    // system beeper refuses frequencies outside 37..32767 Hz.
    const uint32_t duration = beepDuration < 0 ? 0u : static_cast<uint32_t>(beepDuration);
    const bool audible = beepFrequency >= kLowestBeepHz && beepFrequency <= kHighestBeepHz;
    for (;;) {
        if (audible) {
            platform_.beeper->Beep(static_cast<uint32_t>(beepFrequency), duration);
        } else {
            platform_.clock->Sleep(duration);
        }
        if (WaitDrawerClosed(delay) == 1) return Store(opos::kSuccess);
    }
}

}  // namespace kestrix
