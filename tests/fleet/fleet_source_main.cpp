// fleet-source: the configured terminal of the fleet test. Writes three cash
// drawer entries through Trellup's store, as the property dialog would, plus
// the hand-set port values an installer adds for MasterValue 99:
//   FleetBench  the bench's model (MasterValue 8)
//   FleetHand   MasterValue 99, its five port values wired as the bench's
//               model, so the same simulated drawer answers
//   a long name (200 characters)
// Prints the three names, one a line. Runs only in a test prefix.
#include <cstdio>
#include <string>

#include "store/mod_registry.h"
#include "win32_store.h"

namespace {

trellup::CashDrawerDevice Record(const std::string& name, int32_t master_value) {
    trellup::CashDrawerDevice d;
    d.ClassName = "CashDrawer";
    d.SOProgID = "Norvane.CashDrawer";
    d.Description = "Norvane OPOS Cash Drawer Service Object";
    d.DeviceName = name;
    d.DeviceDesc = "Cash drawer of the fleet test";
    d.Master = master_value == 99 ? "Hand-set ports" : "Bench terminal";
    d.MasterValue = master_value;
    d.CheckStatusPeriod = 300;
    d.ConnectorPinNo = 1;
    d.OpenStatusPhase = 0;  // the bench's model reads 0 while open
    d.PulseOnTime = 100;
    d.Timeout = 2000;
    return d;
}

}  // namespace

int main() {
    trellup::win32::Win32Store store;
    const trellup::StorePlatform p = store.platform();
    std::string long_name = "Till 7 at the north entrance";
    while (long_name.size() < 200) long_name += " - second floor, beside the returns desk";
    long_name.resize(200);
    const std::string names[] = {"FleetBench", "FleetHand", long_name};
    int failures = 0;
    for (const std::string& name : names) {
        failures += trellup::modRegistry::WriteDeviceRecord(p, Record(name, name == "FleetHand" ? 99 : 8)) != 0;
    }
    const struct {
        const char* name;
        int32_t value;
    } ports[] = {{"CD_Port", 0x0280}, {"CD_Fire", 0x10}, {"CS_Port", 0x0281}, {"CS_Status", 0x01}, {"CD_Phase", 0}};
    for (const auto& v : ports) {
        failures += trellup::modRegistry::SetDeviceDword(p, "CashDrawer", "FleetHand", v.name, v.value) != 0;
    }
    for (const std::string& name : names) std::printf("%s\n", name.c_str());
    return failures == 0 ? 0 : 1;
}
