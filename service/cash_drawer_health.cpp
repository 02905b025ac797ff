// CheckHealth and DirectIO.
#include "cash_drawer_core.h"

namespace kestrix {
namespace {
constexpr const char16_t* kCaption = u"Cash Drawer Chek Health Interactive";
constexpr const char16_t* kAskText = u"Please push the [Yes] button to run\r\n the CheckHealth Method";
constexpr const char16_t* kCloseText = u"CashDrawer is Opened, Please Close CashDrawer";
constexpr int32_t kHealthWaitMs = 2000;
}  // namespace

bool CCashDrawer_SOCore::CheckHealth(int32_t level, int32_t* rc) {
    const uint32_t closings = closings_;  // before the first box dispatches messages
    int32_t result;
    switch (level) {
    case opos::kHealthInternal:
        health_state_ = 1;
        result = opos::kSuccess;
        break;
    case opos::kHealthExternal: result = ExternalCheck(closings); break;
    case opos::kHealthInteractive:
        if (!platform_.op->AskYesNo(kCaption, kAskText)) {
            if (rc) *rc = result_code_;  // a defined value; ResultCode stays as it was
            return false;
        }
        result = InteractiveCheck(closings);
        break;
    default:
        health_state_ = 0;
        result = opos::kIllegal;
        break;
    }
    Store(result);
    if (rc) *rc = result;
    return true;
}

int32_t CCashDrawer_SOCore::ExternalCheck(uint32_t closings) {
    if (!HardwareReady()) {
        health_state_ = 4;
        return opos::kFailure;
    }
    StopStatusThread();
    current_->Pulse(pulse_on_time_);
    const int32_t r = WaitDrawerOpened(kHealthWaitMs);
    health_state_ = r == 1 ? 3 : 4;
    RestartMonitorUnlessClosedSince(closings);
    return r == 1 ? opos::kSuccess : opos::kFailure;
}

int32_t CCashDrawer_SOCore::InteractiveCheck(uint32_t closings) {
    if (!HardwareReady()) {
        health_state_ = 6;
        return opos::kFailure;
    }
    StopStatusThread();
    current_->Pulse(pulse_on_time_);
    if (WaitDrawerOpened(kHealthWaitMs) != 1) {
        health_state_ = 6;
        RestartMonitorUnlessClosedSince(closings);
        return opos::kFailure;
    }
    platform_.op->ShowOk(kCaption, kCloseText);  // the monitor stays stopped meanwhile
    const int32_t closed = WaitDrawerClosed(kHealthWaitMs);
    health_state_ = closed == 1 ? 5 : 6;
    RestartMonitorUnlessClosedSince(closings);
    return closed == 1 ? opos::kSuccess : opos::kFailure;
}

int32_t CCashDrawer_SOCore::DirectIO(int32_t command) {
    (void)command;
    return Store(opos::kIllegal);
}

}  // namespace kestrix
