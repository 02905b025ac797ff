// The indexed property methods and COFreezeEvents.
#include "cash_drawer_core.h"

namespace kestrix {
namespace {

constexpr int32_t kServiceObjectVersion = 1005019;  // 1.5.19

const char16_t* CheckHealthText(int32_t healthState) {
    switch (healthState) {
    case 1: return u"Internal HCheck : Successful";
    case 3: return u"External HCheck : Successful";
    case 4: return u"External HCheck : Not Responding";
    case 5: return u"InterActive HCheck : Successful";
    case 6: return u"InterActive HCheck : Not Responding";
    default: return u"";
    }
}

}  // namespace

int32_t CCashDrawer_SOCore::COFreezeEvents(int16_t freeze) {
    freeze_events_ = static_cast<int32_t>(freeze);  // true (-1) stays -1
    return Store(opos::kSuccess);
}

PropStatus CCashDrawer_SOCore::GetPropertyNumber(int32_t index, int32_t* number) {
    using namespace opos;
    int32_t value = kFailure;  // an index the object does not know reads as 111
    switch (index) {
    case kPidxClaimed: value = claimed_; break;
    case kPidxDataEventEnabled:
        result_code_ = kFailure;
        value = 0;  // no data events: reads as False
        break;
    case kPidxDeviceEnabled: value = device_enabled_; break;
    case kPidxFreezeEvents: value = freeze_events_; break;
    case kPidxResultCode: value = result_code_; break;
    case kPidxResultCodeExtended: value = result_code_extended_; break;
    case kPidxServiceObjectVersion: value = kServiceObjectVersion; break;
    case kPidxState: value = opened_ == 1 ? kStateIdle : kStateClosed; break;
    case kPidxPowerNotify: value = kPowerNotifyDisabled; break;
    case kPidxPowerState: value = kPowerStateOnline; break;
    case kPidxCapPowerReporting: value = kPowerReportingNone; break;
    case kPidxDrawerOpened: value = WaitDrawerOpened(200) == 1 ? 1 : 0; break;
    case kPidxCapStatus: value = 1; break;
    case kPidxCapStatusMultiDrawerDetect: value = 0; break;
    default: break;
    }
    if (number) *number = value;
    return PropStatus::Ok;
}

PropStatus CCashDrawer_SOCore::SetPropertyNumber(int32_t index, int32_t number) {
    switch (index) {
    case opos::kPidxDeviceEnabled: device_enabled_ = number; return PropStatus::Ok;
    case opos::kPidxFreezeEvents: freeze_events_ = number; return PropStatus::Ok;
    default: return PropStatus::NotHandled;
    }
}

PropStatus CCashDrawer_SOCore::GetPropertyString(int32_t index, std::u16string* out) {
    std::u16string text;
    PropStatus status = PropStatus::Ok;
    switch (index) {
    case opos::kPidxCheckHealthText: text = CheckHealthText(health_state_); break;
    case opos::kPidxDeviceDescription: text = device_desc_; break;
    case opos::kPidxDeviceName: text = device_name_; break;
    case opos::kPidxServiceObjectDescription: text = description_; break;
    default: status = PropStatus::NotHandled; break;
    }
    if (out) out->swap(text);
    return status;
}

int32_t CCashDrawer_SOCore::SetPropertyString(int32_t index) {
    (void)index;
    return Store(opos::kIllegal);
}

}  // namespace kestrix
