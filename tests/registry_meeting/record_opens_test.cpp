// A cash drawer entry written by the utility's record writer opens in the
// service object and drives the bench drawer: the two sides meet in the
// registry (ANSI strings, "Timeout" read as "TimeOut", DllPath the folder
// of the port library).
#include <windows.h>

#include <gtest/gtest.h>

#include "common/entry/cash_drawer_entry.h"
#include "cash_drawer_core.h"
#include "machine.h"
#include "platform_win32.h"
#include "store/mod_registry.h"
#include "win32_store.h"

namespace {

struct BenchName : ::testing::Environment {
    BenchName() { SetEnvironmentVariableA("WINIO_SIM", name().c_str()); }
    ~BenchName() override { DeleteFileA(winio_sim::Region::path_of(name()).c_str()); }
    static std::string name() { return "meeting-" + std::to_string(GetCurrentProcessId()); }
};
::testing::Environment* const g_bench = ::testing::AddGlobalTestEnvironment(new BenchName);

// The utility writes its own folder as DllPath; here that is the folder of
// the bench's port library.
class WinIoFolder final : public trellup::IProgramFolder {
public:
    std::string Get() const override {
        std::string path = "Z:" + std::string(WINIO_DIR_PATH);
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
        return path;
    }
    bool Holds(const std::string&) const override { return true; }
};

class NullControl final : public kestrix::IControlObject {
public:
    bool LookupStatusUpdate(int32_t* dispid) override {
        *dispid = 1;
        return true;
    }
    void InvokeStatusUpdate(int32_t, int32_t) override {}
};

TEST(RegistryMeeting, RecordWrittenByTheUtilityOpensInTheServiceObject) {
    std::string error;
    auto machine = winio_sim::Machine::open(BenchName::name(), &error);
    ASSERT_TRUE(machine) << error;
    machine->select_profile(8);
    machine->set_timings({20, 50, 0});

    trellup::win32::Win32Registry registry;
    trellup::win32::Win32Profile profile;
    WinIoFolder folder;
    const trellup::StorePlatform store{&registry, &profile, &folder};
    trellup::CashDrawerDevice rec;
    rec.ClassName = common::entry::narrow::kCashDrawerClass;
    rec.SOProgID = "Norvane.CashDrawer";
    rec.Description = "Kestrix cash drawer";
    rec.DeviceName = "KxMeeting";
    rec.DeviceDesc = "Drawer on the bench";
    rec.Master = "Bench terminal";
    rec.MasterValue = 8;
    rec.CheckStatusPeriod = 100;
    rec.ConnectorPinNo = 1;
    rec.OpenStatusPhase = 0;
    rec.PulseOnTime = 100;
    rec.Timeout = 700;
    ASSERT_EQ(trellup::modRegistry::WriteDeviceRecord(store, rec), 0);

    NullControl control;
    {
        kestrix::CCashDrawer_SOCore core(kestrix::win32::SystemPlatform());
        ASSERT_EQ(core.OpenService(u"KxMeeting", &control), 0);
        std::u16string s;
        core.GetPropertyString(1000004, &s);
        EXPECT_EQ(s, u"Kestrix cash drawer");
        core.GetPropertyString(1000003, &s);
        EXPECT_EQ(s, u"KxMeeting");
        core.GetPropertyString(1000002, &s);
        EXPECT_EQ(s, u"Drawer on the bench");
        ASSERT_EQ(core.ClaimDevice(0), 0);
        core.SetPropertyNumber(3, 1);
        EXPECT_EQ(core.OpenDrawer(), 0);
        EXPECT_EQ(machine->drawer(0).releases, 1u);

        // The time-out the utility wrote as "Timeout" is the one OpenDrawer waits.
        machine->close_drawer(0);
        machine->set_jammed(0, true);
        const ULONGLONG t0 = GetTickCount64();
        EXPECT_EQ(core.OpenDrawer(), 111);
        const ULONGLONG took = GetTickCount64() - t0;
        EXPECT_GE(took, 100u + 700u);
        EXPECT_LE(took, 100u + 700u + 250u);
        core.CloseService();
    }
    EXPECT_EQ(trellup::modRegistry::DeleteRegKey(store, common::entry::narrow::kCashDrawerKey, "KxMeeting"), 0);
    machine->reset();
}

}  // namespace
