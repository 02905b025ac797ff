// The service object's core on Wine: the real registry of the test prefix,
// the real loader with the bench's WinIo32.dll, real time and real message
// boxes.
#include <windows.h>

#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "cash_drawer_core.h"
#include "device_entry.h"
#include "machine.h"
#include "platform_win32.h"
#include "ui_automation.h"

namespace {

// Real time under Wine on a shared machine: bounds carry this much slack for
// scheduling, far less than the 400 ms a fixed monitor-stop wait would add.
constexpr ULONGLONG kSlackMs = 150;

using kestrix::CCashDrawer_SOCore;
using kestrix::PropStatus;
using kestrix::test::BoxAnswerer;
using kestrix::test::DeviceEntry;

// Names the bench before the port library first runs in this process.
struct BenchName : ::testing::Environment {
    BenchName() { SetEnvironmentVariableA("WINIO_SIM", name().c_str()); }
    ~BenchName() override { DeleteFileA(winio_sim::Region::path_of(name()).c_str()); }
    static std::string name() { return "core-wine-" + std::to_string(GetCurrentProcessId()); }
};
::testing::Environment* const g_bench = ::testing::AddGlobalTestEnvironment(new BenchName);

// Records every status update with the time it arrived.
class RecordingControl final : public kestrix::IControlObject {
public:
    struct Event {
        int32_t status;
        ULONGLONG at;
    };
    bool LookupStatusUpdate(int32_t* dispid) override {
        *dispid = 7;
        return true;
    }
    void InvokeStatusUpdate(int32_t, int32_t status) override {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back({status, GetTickCount64()});
    }
    std::vector<Event> events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    // Waits up to `ms` for the n-th event (1-based).
    bool WaitFor(size_t n, DWORD ms) {
        const ULONGLONG end = GetTickCount64() + ms;
        while (GetTickCount64() < end) {
            if (events().size() >= n) return true;
            Sleep(5);
        }
        return false;
    }

private:
    std::mutex mutex_;
    std::vector<Event> events_;
};

class CoreOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        machine = winio_sim::Machine::open(BenchName::name(), &error);
        ASSERT_TRUE(machine) << error;
        machine->reset();
        ASSERT_TRUE(machine->select_profile(8));
        // The drawer shows open 150 ms after release, that is after the pulse.
        machine->set_timings({20, 150, 0});
        entry.dll_path = kestrix::test::WinIoDir();
        kestrix::test::WriteDeviceEntry(entry);
        core = std::make_unique<CCashDrawer_SOCore>(kestrix::win32::SystemPlatform());
    }
    void TearDown() override {
        core.reset();
        kestrix::test::DeleteDeviceEntry(entry.name);
        if (machine) machine->reset();
    }
    void OpenClaimEnable() {
        ASSERT_EQ(core->OpenService(u"KxWineDrawer", &control), 0);
        ASSERT_EQ(core->ClaimDevice(0), 0);
        ASSERT_EQ(core->SetPropertyNumber(3, 1), PropStatus::Ok);
    }
    int32_t Number(int32_t index) {
        int32_t v = -12345;
        core->GetPropertyNumber(index, &v);
        return v;
    }
    std::u16string Text(int32_t index) {
        std::u16string s;
        core->GetPropertyString(index, &s);
        return s;
    }

    DeviceEntry entry;
    RecordingControl control;
    std::unique_ptr<winio_sim::Machine> machine;
    std::unique_ptr<CCashDrawer_SOCore> core;
};

TEST_F(CoreOnWine, OpenDrawerFiresTheDrawerAndReturnsSoonAfterTheSensorChanges) {
    OpenClaimEnable();
    machine->clear_trace();
    const ULONGLONG t0 = GetTickCount64();
    EXPECT_EQ(core->OpenDrawer(), 0);
    const ULONGLONG took = GetTickCount64() - t0;
    // Pulse 100 ms; the sensor shows open 170 ms after the pulse began; the
    // next reading is at most 100 ms later.
    EXPECT_GE(took, 170u);
    EXPECT_LE(took, 170u + 100u + kSlackMs);
    EXPECT_EQ(machine->drawer(0).phase, winio_sim::DrawerPhase::Open);
    EXPECT_EQ(Number(6), 0);
    EXPECT_EQ(Number(1001), 1) << "DrawerOpened";

    // The pulse on port 0x0280: read, drive bit 0x10 low, read, back high.
    std::vector<winio_sim::TraceRecord> pulse;
    for (const auto& e : machine->trace()) {
        if (e.port == 0x0280) pulse.push_back(e);
    }
    ASSERT_EQ(pulse.size(), 4u);
    EXPECT_EQ(pulse[0].direction, 'R');
    EXPECT_EQ(pulse[1].direction, 'W');
    EXPECT_EQ(pulse[1].value & 0x10, 0x00);
    EXPECT_EQ(pulse[3].direction, 'W');
    EXPECT_EQ(pulse[3].value & 0x10, 0x10);
    EXPECT_GE(pulse[3].time_us - pulse[1].time_us, 95000u);

    // No event for the opening that OpenDrawer caused; the closing is reported.
    const ULONGLONG closed_at = GetTickCount64();
    machine->close_drawer(0);
    ASSERT_TRUE(control.WaitFor(1, 2000));
    const auto events = control.events();
    EXPECT_EQ(events[0].status, 0);
    EXPECT_LE(events[0].at - closed_at, 100u + kSlackMs) << "within the period plus one reading";
    EXPECT_EQ(core->CloseService(), 0);
}

TEST_F(CoreOnWine, JammedDrawerGivesFailureAfterAboutTheTimeOut) {
    entry.timeout = 500;
    kestrix::test::WriteDeviceEntry(entry);
    machine->set_jammed(0, true);
    OpenClaimEnable();
    const ULONGLONG t0 = GetTickCount64();
    EXPECT_EQ(core->OpenDrawer(), 111);
    const ULONGLONG took = GetTickCount64() - t0;
    EXPECT_GE(took, 100u + 500u);
    EXPECT_LE(took, 100u + 500u + 100u + kSlackMs);
    EXPECT_EQ(Number(6), 111);
    EXPECT_EQ(Number(1001), 0);
}

TEST_F(CoreOnWine, MonitorReportsChangesByHandWithinThePeriodPlusOneReading) {
    OpenClaimEnable();
    Sleep(150);  // the monitor's first reading is its reference
    ULONGLONG t = GetTickCount64();
    machine->open_by_hand(0);
    ASSERT_TRUE(control.WaitFor(1, 2000));
    EXPECT_EQ(control.events()[0].status, 1);
    EXPECT_LE(control.events()[0].at - t, 100u + kSlackMs);
    t = GetTickCount64();
    machine->close_drawer(0);
    ASSERT_TRUE(control.WaitFor(2, 2000));
    EXPECT_EQ(control.events()[1].status, 0);
    EXPECT_LE(control.events()[1].at - t, 100u + kSlackMs);

    EXPECT_EQ(core->COFreezeEvents(-1), 0);
    machine->open_by_hand(0);
    Sleep(400);
    EXPECT_EQ(control.events().size(), 2u) << "frozen: dropped";
    core->SetPropertyNumber(4, 0);
    Sleep(200);
    EXPECT_EQ(control.events().size(), 2u) << "not delivered later";
    machine->close_drawer(0);
    ASSERT_TRUE(control.WaitFor(3, 2000));
    EXPECT_EQ(control.events()[2].status, 0);
}

TEST_F(CoreOnWine, InteractiveHealthCheckAsksTheOperatorTwice) {
    OpenClaimEnable();
    const std::wstring caption = L"Cash Drawer Chek Health Interactive";
    BoxAnswerer first(caption, IDYES, 20000);
    int32_t rc = -7;
    bool answered = false;
    {
        // The second box appears once the drawer is seen open; close the
        // drawer before pressing OK.
        std::unique_ptr<BoxAnswerer> second;
        std::thread watcher([&] {
            first.Join();
            second = std::make_unique<BoxAnswerer>(caption, IDOK, 20000, [&] { machine->close_drawer(0); });
            second->Join();
        });
        answered = core->CheckHealth(3, &rc);
        watcher.join();
        EXPECT_EQ(first.text(), L"Please push the [Yes] button to run\r\n the CheckHealth Method");
        EXPECT_FALSE(first.had_icon());
        ASSERT_TRUE(second);
        EXPECT_EQ(second->text(), L"CashDrawer is Opened, Please Close CashDrawer");
        EXPECT_FALSE(second->had_icon());
    }
    EXPECT_TRUE(answered);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Text(1000001), u"InterActive HCheck : Successful");
    EXPECT_TRUE(core->HasMonitorThread()) << "the monitor runs again";
}

TEST_F(CoreOnWine, InteractiveHealthCheckDeclinedChangesNothing) {
    OpenClaimEnable();
    EXPECT_EQ(core->CheckHealth(1, nullptr), true);
    BoxAnswerer no(L"Cash Drawer Chek Health Interactive", IDNO);
    int32_t rc = -7;
    EXPECT_FALSE(core->CheckHealth(3, &rc));
    EXPECT_TRUE(no.Join());
    EXPECT_EQ(rc, 0) << "the unchanged ResultCode";
    EXPECT_EQ(Number(6), 0);
    EXPECT_EQ(Text(1000001), u"Internal HCheck : Successful");
    EXPECT_EQ(machine->drawer(0).releases, 0u);
}

TEST_F(CoreOnWine, RegistryValuesAreReadAsTheUtilityWritesThem) {
    // "Timeout" written, read as TimeOut: the jammed test's timing depends on it too.
    const std::wstring long_text(1500, L'd');
    kestrix::test::SetRawValue(entry.name, L"Description", REG_SZ, long_text.c_str(),
                               static_cast<DWORD>((long_text.size() + 1) * 2));
    const uint8_t binary_period[4] = {0x64, 0, 0, 0};  // 100 as REG_BINARY
    kestrix::test::SetRawValue(entry.name, L"CheckStatusPeriod", REG_BINARY, binary_period, 4);
    ASSERT_EQ(core->OpenService(u"KxWineDrawer", &control), 0);
    EXPECT_EQ(Text(1000004), std::u16string(1023, u'd'));
    EXPECT_EQ(Text(1000002), u"Bench drawer");
    EXPECT_EQ(Text(1000003), u"KxWineDrawer");
}

TEST_F(CoreOnWine, OversizedValuesFailTheOpen) {
    const std::wstring huge(2048, L'x');
    kestrix::test::SetRawValue(entry.name, L"Description", REG_SZ, huge.c_str(),
                               static_cast<DWORD>((huge.size() + 1) * 2));
    EXPECT_EQ(core->OpenService(u"KxWineDrawer", &control), 111);
    EXPECT_EQ(Number(9), 1);

    kestrix::test::WriteDeviceEntry(entry);
    const uint64_t wide_pulse = 100;
    kestrix::test::SetRawValue(entry.name, L"PulseOnTime", REG_QWORD, &wide_pulse, 8);
    EXPECT_EQ(core->OpenService(u"KxWineDrawer", &control), 111);
    EXPECT_FALSE(core->HasMonitorThread());
}

TEST_F(CoreOnWine, PortLibraryProblemsFailTheOpen) {
    entry.dll_path = kestrix::test::WinIoDir() + L"\\nowhere";
    kestrix::test::WriteDeviceEntry(entry);
    EXPECT_EQ(core->OpenService(u"KxWineDrawer", &control), 111);

    entry.dll_path = kestrix::test::WinIoDir() + L"\\missing-SetPortVal";
    kestrix::test::WriteDeviceEntry(entry);
    EXPECT_EQ(core->OpenService(u"KxWineDrawer", &control), 111);

    entry.dll_path = kestrix::test::WinIoDir();
    kestrix::test::WriteDeviceEntry(entry);
    machine->set_driver_fault(true);
    EXPECT_EQ(core->OpenService(u"KxWineDrawer", &control), 111);
    machine->set_driver_fault(false);
    EXPECT_EQ(core->OpenService(u"KxWineDrawer", &control), 0);
    EXPECT_EQ(Number(9), 2);
}

TEST_F(CoreOnWine, TwoServiceObjectsInOneProcessCloseInEitherOrder) {
    auto second = std::make_unique<CCashDrawer_SOCore>(kestrix::win32::SystemPlatform());
    RecordingControl other;
    ASSERT_EQ(core->OpenService(u"KxWineDrawer", &control), 0);
    ASSERT_EQ(second->OpenService(u"KxWineDrawer", &other), 0);
    core.reset();  // the first one goes first: the port lock must live on
    ASSERT_EQ(second->ClaimDevice(0), 0);
    second->SetPropertyNumber(3, 1);
    EXPECT_EQ(second->OpenDrawer(), 0);
    second.reset();
    core = std::make_unique<CCashDrawer_SOCore>(kestrix::win32::SystemPlatform());
}

}  // namespace
