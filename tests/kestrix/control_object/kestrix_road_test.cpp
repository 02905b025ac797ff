// The road of a drawer event: the test's thread (with a message loop) drives
// the CashDrawer control object, which drives Kestrix.dll on the port bench;
// sensor changes come back as StatusUpdateEvent on the test's thread.
// Skipped while the product folder holds no Kestrix.dll.
#include <windows.h>

#include <thread>

#include <gtest/gtest.h>

#include "bench_env.h"
#include "co_client.h"
#include "kestrix_product.h"
#include "machine.h"
#include "device_entry.h"
#include "setup_entries.h"
#include "ui_automation.h"

namespace {

using namespace opos_bench::test;

constexpr long kStatusUpdate = 5;

class DrawerRoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegisterKestrixOnce()) << "Kestrix.dll in the product folder did not register";
        std::string error;
        machine = winio_sim::Machine::open(BenchName(), &error);
        ASSERT_TRUE(machine) << error;
        machine->reset();
        ASSERT_TRUE(machine->select_profile(8));
        ASSERT_TRUE(opos_bench::WriteBenchEntries(OPOS_BENCH_PRODUCT_DIR));
        ASSERT_TRUE(co.ok());
    }
    void OpenClaimEnable(CoClient& c, const wchar_t* device = L"BenchDrawer") {
        ASSERT_EQ(0, c.Call(L"Open", {S(Str(device))}));
        ASSERT_EQ(0, c.Call(L"ClaimDevice", {L(1000)}));
        ASSERT_EQ(S_OK, c.Put(L"DeviceEnabled", B(true)));
        ASSERT_EQ(0, c.GetLong(L"ResultCode"));
    }
    static std::vector<long> Statuses(const CoClient& c) {
        std::vector<long> s;
        for (auto& e : c.events())
            if (e.id == kStatusUpdate && !e.args.empty()) s.push_back(e.args[0]);
        return s;
    }
    bool WaitStatuses(const CoClient& c, size_t n, DWORD ms = 3000) {
        return CoClient::PumpUntil([&] { return Statuses(c).size() >= n; }, ms);
    }
    std::unique_ptr<winio_sim::Machine> machine;
    CoClient co{kCashDrawer, kCashDrawerEvents};
};

TEST_F(DrawerRoad, OpenDrawerThenClosingAndOpeningByHandArriveAsEvents) {
    OpenClaimEnable(co);
    EXPECT_EQ(0, co.Call(L"OpenDrawer"));
    EXPECT_EQ(1u, machine->drawer(0).releases);
    EXPECT_TRUE(co.GetBool(L"DrawerOpened"));
    machine->close_drawer(0);
    // CheckStatusPeriod 300 plus one reading, with a generous margin.
    ASSERT_TRUE(WaitStatuses(co, 1));
    EXPECT_EQ(GetCurrentThreadId(), co.events().back().thread);
    machine->open_by_hand(0);
    ASSERT_TRUE(WaitStatuses(co, 2));
    EXPECT_EQ((std::vector<long>{0, 1}), Statuses(co));
    machine->close_drawer(0);
    ASSERT_TRUE(WaitStatuses(co, 3));
    EXPECT_EQ(0, co.Call(L"Close"));
}

TEST_F(DrawerRoad, FrozenChangesAreNeverDeliveredAndTheNextChangeIs) {
    OpenClaimEnable(co);
    ASSERT_EQ(S_OK, co.Put(L"FreezeEvents", B(true)));
    machine->open_by_hand(0);
    CoClient::Pump(800);
    machine->close_drawer(0);
    CoClient::Pump(800);
    ASSERT_EQ(S_OK, co.Put(L"FreezeEvents", B(false)));
    CoClient::Pump(800);
    EXPECT_TRUE(Statuses(co).empty());
    machine->open_by_hand(0);
    ASSERT_TRUE(WaitStatuses(co, 1));
    EXPECT_EQ(std::vector<long>{1}, Statuses(co));
    EXPECT_EQ(0, co.Call(L"Close"));
}

TEST_F(DrawerRoad, EventPendingWhenOpenDrawerStopsTheMonitorIsDeliveredOnce) {
    const int threads_before = ThreadCount();
    OpenClaimEnable(co);
    Sleep(150);  // the monitor's first reading is its reference
    machine->open_by_hand(0);
    Sleep(800);  // the monitor has seen the change and waits for this thread
    // The application has looked at its queue: the posted event is no longer
    // "new" input, and OpenDrawer's stop must serve it all the same.
    EXPECT_NE(HIWORD(GetQueueStatus(QS_POSTMESSAGE)), 0u);
    EXPECT_EQ(0, co.Call(L"OpenDrawer"));
    EXPECT_EQ(std::vector<long>{1}, Statuses(co));
    CoClient::Pump(500);
    EXPECT_EQ(std::vector<long>{1}, Statuses(co));
    EXPECT_EQ(0, co.Call(L"Close"));
    CoClient::Pump(300);
    EXPECT_EQ(threads_before, ThreadCount());
}

TEST_F(DrawerRoad, OpenServiceFailureGives306) {
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\BenchDrawer", 0,
                            KEY_SET_VALUE, &k));
    DWORD zero = 0;
    RegSetValueExW(k, L"MasterValue", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
    RegCloseKey(k);
    EXPECT_EQ(111, co.Call(L"Open", {S(Str(L"BenchDrawer"))}));
    EXPECT_EQ(306, co.GetLong(L"OpenResult"));
    EXPECT_EQ(1, co.GetLong(L"State"));
}

TEST_F(DrawerRoad, TwoDrawersOpenAtOnceCloseInEitherOrder) {
    ASSERT_TRUE(machine->select_profile(3));
    for (int i = 0; i < 2; ++i) {
        kestrix::test::DeviceEntry e;
        e.name = i == 0 ? "BenchTessik1" : "BenchTessik2";
        e.dll_path = OPOS_BENCH_PRODUCT_DIR;
        e.master_value = 3 + i;  // Tessik board, connector 1 and connector 2
        e.open_status_phase = 1;
        e.check_status_period = 200;
        kestrix::test::WriteDeviceEntry(e);
    }
    for (int order = 0; order < 2; ++order) {
        machine->close_drawer(0);
        machine->close_drawer(1);
        auto a = std::make_unique<CoClient>(kCashDrawer, kCashDrawerEvents);
        auto b = std::make_unique<CoClient>(kCashDrawer, kCashDrawerEvents);
        OpenClaimEnable(*a, L"BenchTessik1");
        OpenClaimEnable(*b, L"BenchTessik2");
        EXPECT_EQ(0, b->Call(L"OpenDrawer"));
        EXPECT_EQ(0u, machine->drawer(0).releases);
        EXPECT_EQ(1u, machine->drawer(1).releases);
        machine->open_by_hand(0);
        ASSERT_TRUE(WaitStatuses(*a, 1));
        EXPECT_TRUE(Statuses(*b).empty());
        if (order == 0) {
            EXPECT_EQ(0, a->Call(L"Close"));
            a.reset();
            EXPECT_EQ(0, b->Call(L"Close"));
        } else {
            EXPECT_EQ(0, b->Call(L"Close"));
            b.reset();
            EXPECT_EQ(0, a->Call(L"Close"));
        }
        ASSERT_TRUE(machine->select_profile(3));
    }
}

TEST_F(DrawerRoad, HealthChecksThroughTheControlObjectSetCheckHealthText) {
    OpenClaimEnable(co);
    EXPECT_EQ(0, co.Call(L"CheckHealth", {L(2)}));
    EXPECT_EQ(L"External HCheck : Successful", co.GetString(L"CheckHealthText"));
    EXPECT_EQ(winio_sim::DrawerPhase::Open, machine->drawer(0).phase);
    machine->close_drawer(0);

    // Interactive: Yes to the first box; the drawer opens; the test closes it
    // and presses OK on the second.
    const std::wstring caption = L"Cash Drawer Chek Health Interactive";
    kestrix::test::BoxAnswerer first(caption, IDYES);
    std::unique_ptr<kestrix::test::BoxAnswerer> second;
    std::thread watcher([&] {
        first.Join();
        second = std::make_unique<kestrix::test::BoxAnswerer>(caption, IDOK, 20000, [&] { machine->close_drawer(0); });
        second->Join();
    });
    EXPECT_EQ(0, co.Call(L"CheckHealth", {L(3)}));
    watcher.join();
    ASSERT_TRUE(second);
    EXPECT_EQ(L"CashDrawer is Opened, Please Close CashDrawer", second->text());
    EXPECT_EQ(L"InterActive HCheck : Successful", co.GetString(L"CheckHealthText"));
    EXPECT_EQ(2u, machine->drawer(0).releases);

    machine->set_jammed(0, true);
    EXPECT_EQ(111, co.Call(L"CheckHealth", {L(2)}));
    EXPECT_EQ(L"External HCheck : Not Responding", co.GetString(L"CheckHealthText"));
    EXPECT_EQ(0, co.Call(L"Close"));
}

// Entries a control object cannot open: no key (302), no ProgID (303), a
// ProgID that is not registered (303).
TEST_F(DrawerRoad, OpenFailuresOfTheEntryGiveTheirOpenResults) {
    const std::wstring root = L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\";
    EXPECT_NE(0, co.Call(L"Open", {S(Str(L"NoSuchDrawer"))}));
    EXPECT_EQ(302, co.GetLong(L"OpenResult"));

    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, (root + L"KxNoProgId").c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &k, nullptr));
    RegCloseKey(k);
    EXPECT_NE(0, co.Call(L"Open", {S(Str(L"KxNoProgId"))}));
    EXPECT_EQ(303, co.GetLong(L"OpenResult"));

    ASSERT_TRUE(opos_bench::WriteProgIdEntry(L"CashDrawer", L"KxBadProgId", L"Norvane.NoSuchDrawer"));
    EXPECT_EQ(109, co.Call(L"Open", {S(Str(L"KxBadProgId"))}));
    EXPECT_EQ(303, co.GetLong(L"OpenResult"));
    EXPECT_EQ(1, co.GetLong(L"State"));

    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (root + L"KxNoProgId").c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (root + L"KxBadProgId").c_str());
    // The control object is still usable for a good entry.
    EXPECT_EQ(0, co.Call(L"Open", {S(Str(L"BenchDrawer"))}));
    EXPECT_EQ(0, co.Call(L"Close"));
}

}  // namespace
