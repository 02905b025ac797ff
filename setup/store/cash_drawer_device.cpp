#include "store/cash_drawer_device.h"

#include <tuple>

namespace trellup {

CashDrawerDevice gCurDevice;
CashDrawerDevice gEditDevice;
int16_t gSettingMode = kSettingCreate;

namespace {
auto Fields(const CashDrawerDevice& d) {
    return std::tie(d.ClassName, d.SOProgID, d.Description, d.DeviceName, d.DeviceDesc, d.Master, d.MasterValue,
                    d.CheckStatusPeriod, d.ConnectorPinNo, d.OpenStatusPhase, d.PulseOnTime, d.Timeout);
}
}  // namespace

bool CashDrawerDevice::operator==(const CashDrawerDevice& o) const { return Fields(*this) == Fields(o); }

}  // namespace trellup
