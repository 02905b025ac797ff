// Construction, destruction and the lifecycle methods.
#include "cash_drawer_core.h"

namespace kestrix {

CCashDrawer_SOCore::CCashDrawer_SOCore(const Platform& platform)
    : platform_(platform),
      registry_(platform.keys),
      volma_(platform.loader, platform.clock),
      tessik_(platform.loader, platform.clock),
      gpio_(platform.loader, platform.clock) {}

CCashDrawer_SOCore::~CCashDrawer_SOCore() {
    StopMonitor();
    // On the monitor thread itself the stop could not wait: the thread sees
    // its stop signal once the event call returns and ends on its own.
    if (monitor_.joinable()) monitor_.detach();
    // Members then go in reverse order: CGPIO, CTessik, CVolmaControl (each
    // releasing its library), then the registry reader (closing its keys).
}

int32_t CCashDrawer_SOCore::OpenService(const char16_t* deviceName, IControlObject* control) {
    if (opened_ == 1) return Store(opos::kOrAlreadyOpen);
    // A monitor restarted by OpenDrawer or CheckHealth after a close must not
    // run while the configuration and the variant change.
    StopMonitor();
    // A handler run during that stop may have opened the object itself.
    if (opened_ == 1) return Store(opos::kOrAlreadyOpen);
    control_ = control;
    bool ok = false;
    try {
        ok = ReadConfiguration(deviceName) && ChooseVariant();
        if (ok) {
            ready_ = current_->Initialize(dll_path_.c_str());
            ok = ready_;
        }
    } catch (...) {
        ok = false;
    }
    if (!ok) return Store(opos::kFailure);
    current_->Prepare();
    StartStatusThread();
    opened_ = 1;
    return Store(opos::kSuccess);
}

// Fixed order; each value lands in its field as soon as it is read.
bool CCashDrawer_SOCore::ReadConfiguration(const char16_t* deviceName) {
    CDeviceRegistry& r = registry_;
    if (r.OpenClassKey() != 0 || r.OpenDeviceKey(deviceName) != 0) return false;
    if (r.ReadDllPath(&dll_path_) != 0 || r.ReadDescription(&description_) != 0 ||
        r.ReadDeviceName(&device_name_) != 0 || r.ReadDeviceDesc(&device_desc_) != 0) {
        return false;
    }
    int32_t v = 0;
    if (r.ReadPulseOnTime(&pulse_on_time_) != 0) return false;
    if (r.ReadOpenStatusPhase(&v) != 0) return false;
    open_status_phase_ = v;
    if (r.ReadConnectorPinNo(&connector_pin_no_) != 0 || r.ReadTimeOut(&time_out_) != 0) return false;
    if (r.ReadCheckStatusPeriod(&v) != 0) return false;
    check_status_period_ = v;
    return r.ReadMasterValue(&master_value_) == 0;
}

int32_t CCashDrawer_SOCore::ClaimDevice(int32_t timeout) {
    (void)timeout;  // the claim never waits
    if (claimed_ == 1) return Store(opos::kClaimed);
    claimed_ = 1;
    return Store(opos::kSuccess);
}

int32_t CCashDrawer_SOCore::ReleaseDevice() {
    if (claimed_ == 0) return Store(opos::kIllegal);
    claimed_ = 0;
    return Store(opos::kSuccess);
}

int32_t CCashDrawer_SOCore::CloseService() {
    ++closings_;  // first: a method that dispatches meanwhile sees the close
    StopStatusThread();
    opened_ = 0;
    health_state_ = 0;
    device_enabled_ = 0;
    return Store(opos::kSuccess);
}

}  // namespace kestrix
