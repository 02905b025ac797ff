// A service core on fakes of the platform and on the bench, with the device
// entry of one cash drawer ("NVCD1") in the fake key store.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bench_support.h"
#include "cash_drawer_core.h"
#include "fakes.h"
#include "profiles.h"

namespace kestrix::test {

inline const std::u16string kClassPath = u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer";
inline const std::u16string kDevicePath = kClassPath + u"\\NVCD1";

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine = OpenBenchMachine();
        ASSERT_TRUE(machine);
        machine->reset();
        machine->use_manual_clock(true);
        clock.Attach(machine.get());
    }
    void TearDown() override {
        core.reset();
        if (machine) machine->reset();
    }

    kestrix::Platform platform() { return kestrix::Platform{&keys, &loader, &op, &beeper, &clock}; }

    kestrix::CCashDrawer_SOCore& Core() {
        if (!core) core = std::make_unique<kestrix::CCashDrawer_SOCore>(platform());
        return *core;
    }

    // A complete device entry for the bench profile of `masterValue`, its
    // library folder the bench's, and the bench powered on as that profile.
    void Device(int32_t masterValue, const std::u16string& dllPath = WinIoDirU16()) {
        keys.AddKey(kClassPath);
        keys.AddKey(kDevicePath);
        keys.SetString(kDevicePath, u"DllPath", dllPath);
        keys.SetString(kDevicePath, u"Description", u"Kestrix cash drawer");
        keys.SetString(kDevicePath, u"DeviceName", u"NVCD1");
        keys.SetString(kDevicePath, u"DeviceDesc", u"Cash drawer on the bench");
        keys.SetNumber(kDevicePath, u"PulseOnTime", 100);
        const winio_sim::Profile* p = winio_sim::find_profile(masterValue);
        keys.SetNumber(kDevicePath, u"OpenStatusPhase", p ? static_cast<uint32_t>(p->open_status_phase) : 0);
        keys.SetNumber(kDevicePath, u"ConnectorPinNo", 1);
        keys.SetNumber(kDevicePath, u"Timeout", 1000);  // the utility's spelling
        keys.SetNumber(kDevicePath, u"CheckStatusPeriod", 300);
        keys.SetNumber(kDevicePath, u"MasterValue", static_cast<uint32_t>(masterValue));
        keys.SetNumber(kDevicePath, u"CD_Port", 0x0300);
        keys.SetNumber(kDevicePath, u"CD_Fire", 0x08);
        keys.SetNumber(kDevicePath, u"CS_Port", 0x0301);
        keys.SetNumber(kDevicePath, u"CS_Status", 0x10);
        keys.SetNumber(kDevicePath, u"CD_Phase", 1);
        if (p) {
            EXPECT_TRUE(machine->select_profile(masterValue));
        }
    }

    // Opens NVCD1 with `control`, then claims and enables it.
    int32_t OpenClaimEnable(kestrix::IControlObject* control) {
        const int32_t rc = Core().OpenService(u"NVCD1", control);
        Core().ClaimDevice(0);
        Core().SetPropertyNumber(kestrix::opos::kPidxDeviceEnabled, 1);
        return rc;
    }

    int32_t Number(int32_t index) {
        int32_t v = -12345;
        Core().GetPropertyNumber(index, &v);
        return v;
    }
    std::u16string String(int32_t index) {
        std::u16string s = u"seed";
        Core().GetPropertyString(index, &s);
        return s;
    }

    std::unique_ptr<winio_sim::Machine> machine;
    FakeKeyStore keys;
    DlLibraryLoader loader;
    FakeOperator op;
    FakeClock clock;
    FakeBeeper beeper{&clock};
    FakeControlObject control;
    std::unique_ptr<kestrix::CCashDrawer_SOCore> core;
};

}  // namespace kestrix::test
