// Faults in the middle of a run of Kestrix.dll through the CashDrawer control
// object on the port bench: each injected while the device is open and its
// monitor runs, each with its defined outcome, and the device usable again
// afterwards where the fault allows.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "bench_env.h"
#include "co_client.h"
#include "kestrix_product.h"
#include "device_entry.h"
#include "event_control.h"
#include "dispatch_util.h"
#include "machine.h"
#include "store/mod_registry.h"
#include "win32_store.h"

namespace {

using namespace opos_bench::test;

constexpr long kStatusUpdate = 5;
constexpr long kFailure = 111;
constexpr int kPeriodMs = 50;
const char kDevice[] = "FaultDrawer";
const wchar_t kDeviceW[] = L"FaultDrawer";

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// The utility's record writer puts its own folder into DllPath; here that is
// the product folder, where the bench's port library lies.
class ProductFolder : public trellup::IProgramFolder {
public:
    std::string Get() const override { return Narrow(OPOS_BENCH_PRODUCT_DIR); }
    bool Holds(const std::string&) const override { return true; }
};

class KestrixFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegisterKestrixOnce());
        std::string error;
        machine = winio_sim::Machine::open(BenchName(), &error);
        ASSERT_TRUE(machine) << error;
        machine->reset();
        ASSERT_TRUE(machine->select_profile(8));
        WriteEntry();
        co = std::make_unique<CoClient>(kCashDrawer, kCashDrawerEvents);
        ASSERT_TRUE(co->ok());
        threads_before = ThreadCount();  // the control object's own included
    }
    void TearDown() override {
        co.reset();
        machine->reset();
    }
    static void WriteEntry(int32_t timeout = 1000) {
        kestrix::test::DeviceEntry e;
        e.timeout = timeout;
        e.name = kDevice;
        e.dll_path = OPOS_BENCH_PRODUCT_DIR;
        e.master_value = 8;
        e.open_status_phase = 0;  // model 8: the sensor reads 0 while open
        e.check_status_period = kPeriodMs;
        kestrix::test::WriteDeviceEntry(e);
    }
    void OpenClaimEnable() {
        ASSERT_EQ(0, co->Call(L"Open", {S(Str(kDeviceW))}));
        ASSERT_EQ(0, co->Call(L"ClaimDevice", {L(1000)}));
        ASSERT_EQ(S_OK, co->Put(L"DeviceEnabled", B(true)));
        CoClient::Pump(3 * kPeriodMs);  // the monitor's first reading is its reference
    }
    std::vector<long> Statuses() const {
        std::vector<long> s;
        for (auto& e : co->events())
            if (e.id == kStatusUpdate && !e.args.empty()) s.push_back(e.args[0]);
        return s;
    }
    bool WaitStatuses(size_t n) {
        return CoClient::PumpUntil([&] { return Statuses().size() >= n; }, 3000);
    }
    // Closes, then waits until every monitor thread has ended.
    void CloseAndExpectNoThreadLeft() {
        EXPECT_EQ(0, co->Call(L"Close"));
        int now = -1;
        EXPECT_TRUE(CoClient::PumpUntil([&] { return (now = ThreadCount()) <= threads_before; }, 5000))
            << now << " threads, " << threads_before << " before the open";
    }

    std::unique_ptr<winio_sim::Machine> machine;
    std::unique_ptr<CoClient> co;
    int threads_before = 0;
};

// Hardware faults: while the fault lasts the drawer operations fail with 111
// and the health check says why; once it is cleared the same open device
// works again and reports the drawer's movements.
TEST_F(KestrixFaults, HardwareFaultsFailTheOperationsAndTheDeviceRecovers) {
    struct Case {
        const char* name;
        std::function<void(winio_sim::Machine&, bool)> fault;
        long open_drawer;          // OpenDrawer while the fault lasts
        const wchar_t* health;     // CheckHealthText after CheckHealth 2 then
        std::vector<long> events;  // statuses seen while the fault lasts
    } cases[] = {
        // The driver session of the open device stays up: only a new open fails.
        {"driver fault",
         [](winio_sim::Machine& m, bool on) { m.set_driver_fault(on); },
         0,
         L"External HCheck : Successful",
         {0, 0}},
        {"jammed drawer",
         [](winio_sim::Machine& m, bool on) { m.set_jammed(0, on); },
         kFailure,
         L"External HCheck : Not Responding",
         {}},
        {"sensor stuck at closed",
         [](winio_sim::Machine& m, bool on) { m.set_stuck_sensor(0, on ? 1 : -1); },
         kFailure,
         L"External HCheck : Not Responding",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        machine->close_drawer(0);
        co = std::make_unique<CoClient>(kCashDrawer, kCashDrawerEvents);
        threads_before = ThreadCount();
        OpenClaimEnable();
        c.fault(*machine, true);
        EXPECT_EQ(c.open_drawer, co->Call(L"OpenDrawer"));
        if (machine->drawer(0).phase == winio_sim::DrawerPhase::Open) machine->close_drawer(0);
        CoClient::Pump(4 * kPeriodMs);
        co->Call(L"CheckHealth", {L(2)});
        EXPECT_EQ(c.health, co->GetString(L"CheckHealthText"));
        machine->close_drawer(0);
        CoClient::Pump(4 * kPeriodMs);
        EXPECT_EQ(c.events, Statuses());
        if (c.fault) {
            // A second application cannot open the device while the driver fails.
            CoClient other(kCashDrawer, kCashDrawerEvents);
            const long rc = other.Call(L"Open", {S(Str(kDeviceW))});
            if (std::string(c.name) == "driver fault") {
                EXPECT_EQ(kFailure, rc);
                EXPECT_EQ(306, other.GetLong(L"OpenResult"));
            } else {
                EXPECT_EQ(0, rc);
                other.Call(L"Close");
            }
        }
        c.fault(*machine, false);
        CoClient::Pump(4 * kPeriodMs);
        co->clear_events();
        EXPECT_EQ(0, co->Call(L"OpenDrawer"));
        machine->close_drawer(0);
        ASSERT_TRUE(WaitStatuses(1));
        EXPECT_EQ(std::vector<long>{0}, Statuses());
        CloseAndExpectNoThreadLeft();
    }
}

// A TimeOut of -1 in the entry takes no reading: a drawer that does not open
// gives 111 as soon as the pulse is over (as an unsigned number the wait
// would last about 50 days).
TEST_F(KestrixFaults, NegativeTimeOutGives111AtOnce) {
    WriteEntry(-1);
    OpenClaimEnable();
    machine->set_jammed(0, true);
    const ULONGLONG t0 = GetTickCount64();
    EXPECT_EQ(kFailure, co->Call(L"OpenDrawer"));
    const ULONGLONG elapsed = GetTickCount64() - t0;
    EXPECT_LT(elapsed, 1000u);
    EXPECT_EQ(kFailure, co->GetLong(L"ResultCode"));
    EXPECT_NE(winio_sim::DrawerPhase::Open, machine->drawer(0).phase);
    machine->set_jammed(0, false);
    CloseAndExpectNoThreadLeft();
}

// The entry is deleted while the device is open: the open device keeps the
// values it read and works on; a new open fails (no key: 302) until the
// utility's record writer has written the entry again.
TEST_F(KestrixFaults, EntryDeletedWhileOpenThenRewrittenByTheUtility) {
    OpenClaimEnable();
    kestrix::test::DeleteDeviceEntry(kDevice);
    EXPECT_EQ(0, co->Call(L"OpenDrawer"));
    machine->close_drawer(0);
    ASSERT_TRUE(WaitStatuses(1));
    EXPECT_EQ(0, co->Call(L"Close"));
    EXPECT_NE(0, co->Call(L"Open", {S(Str(kDeviceW))}));
    EXPECT_EQ(302, co->GetLong(L"OpenResult"));

    trellup::win32::Win32Registry registry;
    ProductFolder folder;
    trellup::StorePlatform p{&registry, nullptr, &folder};
    trellup::CashDrawerDevice d;
    d.ClassName = "CashDrawer";
    d.SOProgID = "Norvane.CashDrawer.1";
    d.Description = "Kestrix cash drawer";
    d.DeviceName = kDevice;
    d.DeviceDesc = "Bench drawer";
    d.Master = "GPIO 0x0280/0x0281";
    d.MasterValue = 8;
    d.CheckStatusPeriod = kPeriodMs;
    d.ConnectorPinNo = 1;
    d.OpenStatusPhase = 0;
    d.PulseOnTime = 100;
    d.Timeout = 1000;
    ASSERT_EQ(0, trellup::modRegistry::WriteDeviceRecord(p, d));
    co->clear_events();
    OpenClaimEnable();
    EXPECT_EQ(0, co->Call(L"OpenDrawer"));
    machine->close_drawer(0);
    ASSERT_TRUE(WaitStatuses(1));
    EXPECT_EQ(std::vector<long>{0}, Statuses());
    CloseAndExpectNoThreadLeft();
}

// The application drops the control object without Close while the status
// event waits for its thread: the control object closes the service object,
// the event is dropped, no thread stays, and the device opens again.
TEST_F(KestrixFaults, ControlObjectReleasedWithoutCloseWhileAnEventIsInFlight) {
    OpenClaimEnable();
    machine->open_by_hand(0);
    Sleep(4 * kPeriodMs);  // no dispatching: the event waits in the queue
    EXPECT_NE(HIWORD(GetQueueStatus(QS_POSTMESSAGE)), 0u);
    EXPECT_TRUE(Statuses().empty());
    co.reset();
    CoClient::Pump(100);
    int now = -1;
    EXPECT_TRUE(CoClient::PumpUntil([&] { return (now = ThreadCount()) <= threads_before; }, 5000)) << now;
    machine->close_drawer(0);
    co = std::make_unique<CoClient>(kCashDrawer, kCashDrawerEvents);
    OpenClaimEnable();
    EXPECT_EQ(0, co->Call(L"OpenDrawer"));
    machine->close_drawer(0);
    ASSERT_TRUE(WaitStatuses(1));
    CloseAndExpectNoThreadLeft();
}

// A handler slower than CheckStatusPeriod: the monitor waits for it, then
// samples again; every change is reported once and in order.
TEST_F(KestrixFaults, HandlerSlowerThanThePeriodLosesAndRepeatsNothing) {
    OpenClaimEnable();
    bool first = true;
    co->set_on_event([&](const ReceivedEvent&) {
        if (!first) return;
        first = false;
        machine->close_drawer(0);  // changes again while the handler runs
        Sleep(6 * kPeriodMs);
    });
    machine->open_by_hand(0);
    ASSERT_TRUE(WaitStatuses(2));
    CoClient::Pump(6 * kPeriodMs);
    EXPECT_EQ((std::vector<long>{1, 0}), Statuses());
    co->set_on_event(nullptr);
    CloseAndExpectNoThreadLeft();
}

// The application's status handler calls back into the device. None of the
// calls hangs: each has its ordinary result, the monitor holding the event is
// let go, a new one takes over, and the next change arrives once.
TEST_F(KestrixFaults, StatusHandlerCallingTheDeviceDoesNotHang) {
    struct Case {
        const wchar_t* method;
        long level;  // argument, or -1 for none
        long rc;
        bool still_open;
    } cases[] = {
        {L"OpenDrawer", -1, 0, true},
        {L"CheckHealth", 2, 0, true},
        {L"Close", -1, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.method, c.method + wcslen(c.method)));
        machine->close_drawer(0);
        co = std::make_unique<CoClient>(kCashDrawer, kCashDrawerEvents);
        threads_before = ThreadCount();
        OpenClaimEnable();
        long rc = -7;
        bool called = false;
        co->set_on_event([&](const ReceivedEvent& e) {
            if (called || e.args.empty() || e.args[0] != 1) return;
            called = true;
            rc = c.level < 0 ? co->Call(c.method) : co->Call(c.method, {L(c.level)});
        });
        machine->open_by_hand(0);
        ASSERT_TRUE(CoClient::PumpUntil([&] { return called && rc != -7; }, 10000));
        EXPECT_EQ(c.rc, rc);
        co->set_on_event(nullptr);
        if (c.still_open) {
            CoClient::Pump(4 * kPeriodMs);
            machine->close_drawer(0);
            ASSERT_TRUE(WaitStatuses(2));
            CoClient::Pump(4 * kPeriodMs);
            EXPECT_EQ((std::vector<long>{1, 0}), Statuses());
            CloseAndExpectNoThreadLeft();
        } else {
            EXPECT_EQ(1, co->GetLong(L"State"));
            int now = -1;
            EXPECT_TRUE(CoClient::PumpUntil([&] { return (now = ThreadCount()) <= threads_before; }, 5000)) << now;
        }
    }
}

// A control object that runs the application's handler on the monitor
// thread itself, with a handler that does not come back until released: the
// service object is driven directly, as such a control object would.
struct HeldHandler {
    HeldHandler()
        : entered(CreateEventW(nullptr, TRUE, FALSE, nullptr)), release(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        control.onEvent = [this] {
            SetEvent(entered);
            WaitForSingleObject(release, 60000);
            returned = true;
        };
    }
    ~HeldHandler() {
        CloseHandle(entered);
        CloseHandle(release);
    }
    EventControl control;
    HANDLE entered;
    HANDLE release;
    std::atomic<bool> returned{false};
};

long CallSo(IDispatch* so, const wchar_t* name, std::vector<VARIANT> args) {
    LPOLESTR n = const_cast<LPOLESTR>(name);
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(so->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id))) return -9999;
    opos_bench::Variant r;
    if (FAILED(opos_bench::CallById(so, id, DISPATCH_METHOD, std::move(args), r.get()))) return -9999;
    return r.ref().vt == VT_I4 ? r.ref().lVal : -9998;
}

// The handler never returns within the stop's wait: CloseService and
// OpenDrawer still end (the stop lets the held monitor go after its bound)
// with their ordinary results; the monitor ends once the handler returns.
TEST_F(KestrixFaults, HandlerThatNeverReturnsLetsTheStopEnd) {
    CLSID clsid{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Norvane.CashDrawer.1", &clsid));
    struct Case {
        const wchar_t* method;
        long rc;
    } cases[] = {{L"OpenDrawer", 0}, {L"CloseService", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.method));
        machine->close_drawer(0);
        IDispatch* so = nullptr;
        ASSERT_EQ(S_OK,
                  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&so)));
        HeldHandler held;
        BSTR cls = SysAllocString(L"CashDrawer");
        BSTR name = SysAllocString(kDeviceW);
        VARIANT control{};
        control.vt = VT_DISPATCH;
        control.pdispVal = &held.control;
        EXPECT_EQ(0, CallSo(so, L"OpenService", {S(cls), S(name), control}));
        EXPECT_EQ(0, CallSo(so, L"ClaimDevice", {L(0)}));
        CallSo(so, L"SetPropertyNumber", {L(3), L(1)});  // DeviceEnabled
        Sleep(3 * kPeriodMs);
        machine->open_by_hand(0);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.entered, 5000));
        // Should the stop wait for the handler, the watchdog frees it and the
        // case fails instead of hanging.
        std::atomic<bool> watchdog_fired{false};
        std::atomic<bool> done{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 2000 && !done; ++i) Sleep(10);
            if (!done) {
                watchdog_fired = true;
                SetEvent(held.release);
            }
        });
        EXPECT_EQ(c.rc, CallSo(so, c.method, {}));
        done = true;
        watchdog.join();
        EXPECT_FALSE(watchdog_fired.load());
        EXPECT_FALSE(held.returned.load());
        SetEvent(held.release);
        CallSo(so, L"CloseService", {});
        so->Release();
        int now = -1;
        EXPECT_TRUE(CoClient::PumpUntil([&] { return held.returned && (now = ThreadCount()) <= threads_before; }, 5000))
            << now;
        SysFreeString(cls);
        SysFreeString(name);
    }
}

}  // namespace
