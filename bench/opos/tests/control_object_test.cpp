// The control object stand-ins against the bench's own service objects:
// the open sequence and its failures, the closed state, cross-thread event
// delivery with freezing and closing, the line display and the MSR.
#include <windows.h>

#include <gtest/gtest.h>

#include "bench_env.h"
#include "card_feed.h"
#include "co_client.h"
#include "dispatch_util.h"
#include "display_mirror.h"
#include "opos_numbers.h"
#include "setup_entries.h"

namespace {

using namespace opos_bench_test;
using opos_bench::DeleteEntry;
using opos_bench::WriteProgIdEntry;

constexpr long kStatusUpdate = 5;

class CashDrawerControl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteProgIdEntry(L"CashDrawer", L"CoTest", L"OposBench.TestCashDrawer"));
        ASSERT_TRUE(co.ok());
    }
    void TearDown() override { DeleteEntry(L"CashDrawer", L"CoTest"); }
    void OpenClaimEnable() {
        ASSERT_EQ(0, co.Call(L"Open", {S(Str(L"CoTest"))}));
        ASSERT_EQ(0, co.Call(L"ClaimDevice", {L(1000)}));
        ASSERT_EQ(S_OK, co.Put(L"DeviceEnabled", B(true)));
    }
    // DirectIO 1 makes the test service object call SOStatusUpdate(data)
    // from a thread of its own; DirectIO 2 waits for that thread, dispatching.
    long StatusFromThread(long data) {
        long d = data;
        BSTR s = Str(L"");
        return co.Call(L"DirectIO", {L(1), opos_bench::LongRefArg(&d), opos_bench::BstrRefArg(&s)});
    }
    long JoinEventThread() {
        long d = 0;
        BSTR s = Str(L"");
        return co.Call(L"DirectIO", {L(2), opos_bench::LongRefArg(&d), opos_bench::BstrRefArg(&s)});
    }
    size_t StatusEvents() {
        size_t n = 0;
        for (auto& e : co.events()) n += e.id == kStatusUpdate;
        return n;
    }
    CoClient co{kCashDrawer, kCashDrawerEvents};
};

TEST_F(CashDrawerControl, ClosedObjectAnswers101AndState1) {
    EXPECT_EQ(1, co.GetLong(L"State"));
    EXPECT_EQ(101, co.Call(L"ClaimDevice", {L(0)}));
    EXPECT_EQ(101, co.GetLong(L"ResultCode"));
    EXPECT_EQ(101, co.Call(L"OpenDrawer"));
    EXPECT_EQ(101, co.Call(L"Close"));
    EXPECT_FALSE(co.GetBool(L"DrawerOpened"));
    EXPECT_EQ(L"", co.GetString(L"ServiceObjectDescription"));
    EXPECT_EQ(1005000, co.GetLong(L"ControlObjectVersion"));
}

TEST_F(CashDrawerControl, OpenReadsVersionAndRefusesSecondOpen) {
    ASSERT_EQ(0, co.Call(L"Open", {S(Str(L"CoTest"))}));
    EXPECT_EQ(0, co.GetLong(L"OpenResult"));
    EXPECT_EQ(2, co.GetLong(L"State"));
    EXPECT_EQ(1005000, co.GetLong(L"ServiceObjectVersion"));
    EXPECT_EQ(L"CoTest", co.GetString(L"DeviceName"));
    EXPECT_EQ(106, co.Call(L"Open", {S(Str(L"CoTest"))}));
    EXPECT_EQ(301, co.GetLong(L"OpenResult"));
    EXPECT_EQ(0, co.Call(L"Close"));
    EXPECT_EQ(1, co.GetLong(L"State"));
}

TEST_F(CashDrawerControl, OpenFailuresGiveTheirOpenResults) {
    struct Case {
        const wchar_t* prog_id;   // null: no key at all
        long result, open_result;
    } cases[] = {
        {nullptr, 109, 302},
        {L"", 109, 303},
        {L"OposBench.NoSuchObject", 104, 304},
        {L"OposBench.MSR", 104, 305},   // lacks OpenDrawer and WaitForDrawerClose
        {L"OposBench.TestCashDrawerV2", 104, 307},
    };
    for (const Case& c : cases) {
        DeleteEntry(L"CashDrawer", L"CoBad");
        if (c.prog_id) {
            ASSERT_TRUE(WriteProgIdEntry(L"CashDrawer", L"CoBad", c.prog_id));
        }
        EXPECT_EQ(c.result, co.Call(L"Open", {S(Str(L"CoBad"))})) << (c.prog_id ? c.prog_id : L"(no key)");
        EXPECT_EQ(c.open_result, co.GetLong(L"OpenResult"));
        EXPECT_EQ(c.result, co.GetLong(L"ResultCode"));
        EXPECT_EQ(1, co.GetLong(L"State"));
    }
    DeleteEntry(L"CashDrawer", L"CoBad");
    // After the failures the object opens normally.
    EXPECT_EQ(0, co.Call(L"Open", {S(Str(L"CoTest"))}));
    EXPECT_EQ(0, co.GetLong(L"OpenResult"));
}

TEST_F(CashDrawerControl, StatusFromAnotherThreadArrivesOnceOnTheClientThread) {
    OpenClaimEnable();
    ASSERT_EQ(0, StatusFromThread(7));
    ASSERT_TRUE(CoClient::PumpUntil([&] { return StatusEvents() >= 1; }, 5000));
    EXPECT_EQ(0, JoinEventThread());
    CoClient::Pump(200);
    ASSERT_EQ(1u, co.events().size());
    EXPECT_EQ(std::vector<long>{7}, co.events()[0].args);
    EXPECT_EQ(GetCurrentThreadId(), co.events()[0].thread);
}

TEST_F(CashDrawerControl, PendingEventIsDeliveredWhileACallWaitsForTheEventThread) {
    OpenClaimEnable();
    ASSERT_EQ(0, StatusFromThread(1));
    Sleep(100);   // the thread now waits for this thread
    EXPECT_EQ(0, JoinEventThread());
    EXPECT_EQ(1u, StatusEvents());
    CoClient::Pump(200);
    EXPECT_EQ(1u, StatusEvents());
}

TEST_F(CashDrawerControl, FrozenEventsAreHeldAndDeliveredOnceOnUnfreeze) {
    OpenClaimEnable();
    ASSERT_EQ(S_OK, co.Put(L"FreezeEvents", B(true)));
    EXPECT_TRUE(co.GetBool(L"FreezeEvents"));
    ASSERT_EQ(0, StatusFromThread(4));
    EXPECT_EQ(0, JoinEventThread());   // a held event releases its caller
    CoClient::Pump(200);
    EXPECT_EQ(0u, StatusEvents());
    ASSERT_EQ(S_OK, co.Put(L"FreezeEvents", B(false)));
    ASSERT_EQ(1u, StatusEvents());
    EXPECT_EQ(std::vector<long>{4}, co.events()[0].args);
}

TEST_F(CashDrawerControl, CloseReleasesAWaitingEventCallerWithoutDelivering) {
    OpenClaimEnable();
    ASSERT_EQ(0, StatusFromThread(1));
    Sleep(100);
    EXPECT_EQ(0, co.Call(L"Close"));   // the test service object joins its thread in CloseService
    CoClient::Pump(200);
    EXPECT_EQ(0u, StatusEvents());
}

// An application whose event handler drops its last reference to the
// control object: the object ends inside the delivery of a cross-thread event.
class ReleasingSink final : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kCashDrawerEvents) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }   // lives on the stack
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id == kStatusUpdate) ++status_events;
        if (target) {
            IDispatch* last = target;
            target = nullptr;
            last->Release();
        }
        return S_OK;
    }
    IDispatch* target = nullptr;   // the application's only reference
    int status_events = 0;
    LONG refs_ = 1;
};

TEST(ControlObjectLifetime, HandlerReleasingTheLastReferenceEndsTheObjectCleanly) {
    ASSERT_TRUE(WriteProgIdEntry(L"CashDrawer", L"CoTest", L"OposBench.TestCashDrawer"));
    for (int round = 0; round < 20; ++round) {
        ReleasingSink sink;
        IDispatch* co = nullptr;
        ASSERT_EQ(S_OK, CoCreateInstance(kCashDrawer, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                         reinterpret_cast<void**>(&co)));
        {
            Microsoft::WRL::ComPtr<IConnectionPointContainer> cpc;
            Microsoft::WRL::ComPtr<IConnectionPoint> cp;
            ASSERT_EQ(S_OK, co->QueryInterface(IID_PPV_ARGS(&cpc)));
            ASSERT_EQ(S_OK, cpc->FindConnectionPoint(kCashDrawerEvents, &cp));
            DWORD cookie = 0;
            ASSERT_EQ(S_OK, cp->Advise(&sink, &cookie));
        }
        auto call = [&](const wchar_t* name, std::vector<VARIANT> args) {
            LPOLESTR n = const_cast<LPOLESTR>(name);
            DISPID id = DISPID_UNKNOWN;
            co->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
            opos_bench::Variant r;
            opos_bench::CallById(co, id, DISPATCH_METHOD, std::move(args), r.get());
            return r.ref().vt == VT_I4 ? r.ref().lVal : -1;
        };
        ASSERT_EQ(0, call(L"Open", {S(Str(L"CoTest"))}));
        long d = 3;
        BSTR s = Str(L"");
        ASSERT_EQ(0, call(L"DirectIO", {L(1), opos_bench::LongRefArg(&d), opos_bench::BstrRefArg(&s)}));
        sink.target = co;
        // The handler ends the object (closing it and its service object);
        // the event thread is released and nothing touches the ended object.
        ASSERT_TRUE(CoClient::PumpUntil([&] { return sink.status_events == 1 && sink.target == nullptr; }, 5000));
        CoClient::Pump(50);
        EXPECT_EQ(1, sink.status_events);
        EXPECT_EQ(1, sink.refs_);   // the ended object released its sink
    }
    DeleteEntry(L"CashDrawer", L"CoTest");
}

class LineDisplayControl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(co.ok());
        ASSERT_EQ(0, co.Call(L"Open", {S(Str(L"BenchDisplay"))}));
        ASSERT_EQ(0, co.Call(L"ClaimDevice", {L(1000)}));
        ASSERT_EQ(S_OK, co.Put(L"DeviceEnabled", B(true)));
    }
    std::wstring Screen() {
        long rows = 0;
        BSTR text = SysAllocString(L"");
        co.Call(L"DirectIO", {L(1), opos_bench::LongRefArg(&rows), opos_bench::BstrRefArg(&text)});
        std::wstring s = text ? text : L"";
        SysFreeString(text);
        return s;
    }
    CoClient co{kLineDisplay, kLineDisplayEvents};
};

TEST_F(LineDisplayControl, TextScrollAndRefusals) {
    EXPECT_EQ(2, co.GetLong(L"DeviceRows"));
    EXPECT_EQ(20, co.GetLong(L"DeviceColumns"));
    EXPECT_EQ(0, co.Call(L"DisplayText", {S(Str(L"12345")), L(3)}));
    EXPECT_EQ(L"12345               \n                    ", Screen());
    EXPECT_EQ(5, co.GetLong(L"CursorColumn"));
    EXPECT_EQ(106, co.Call(L"DisplayText", {S(Str(L"x")), L(-1)}));
    EXPECT_EQ(106, co.Call(L"ScrollText", {L(0), L(1)}));
    EXPECT_EQ(0, co.Call(L"ScrollText", {L(3), L(2)}));
    EXPECT_EQ(L"345                 \n                    ", Screen());
    EXPECT_EQ(0, co.Call(L"ScrollText", {L(2), L(1)}));
    EXPECT_EQ(L"                    \n345                 ", Screen());
    EXPECT_EQ(0, co.Call(L"ClearText"));
    EXPECT_EQ(L"                    \n                    ", Screen());
    EXPECT_EQ(S_OK, co.Put(L"CursorRow", L(2)));   // rows are 0 and 1
    EXPECT_EQ(106, co.GetLong(L"ResultCode"));
    EXPECT_EQ(0, co.GetLong(L"CursorRow"));
    EXPECT_EQ(S_OK, co.Put(L"BlinkRate", L(250)));
    EXPECT_EQ(0, co.GetLong(L"ResultCode"));
    EXPECT_EQ(250, co.GetLong(L"BlinkRate"));
    EXPECT_EQ(S_OK, co.Put(L"BlinkRate", L(0)));
    EXPECT_EQ(106, co.GetLong(L"ResultCode"));
    EXPECT_EQ(998, co.GetLong(L"CapCharacterSet"));
    EXPECT_TRUE(co.GetBool(L"CursorUpdate"));
}

// What another process reads of the display: the bench's mirror follows
// every command and property write.
TEST_F(LineDisplayControl, MirrorShowsWhatTheDisplayShows) {
    auto mirror = opos_bench::DisplayMirror::Open(BenchName());
    ASSERT_TRUE(mirror);
    ASSERT_EQ(S_OK, co.Put(L"CursorRow", L(1)));
    ASSERT_EQ(S_OK, co.Put(L"CursorColumn", L(17)));
    ASSERT_EQ(0, co.Call(L"DisplayText", {S(Str(L"ABCDE")), L(0)}));
    ASSERT_EQ(S_OK, co.Put(L"DeviceBrightness", L(40)));
    uint32_t seq = 0;
    const opos_bench::DisplayState s = mirror->Last(&seq);
    EXPECT_GT(seq, 0u);
    EXPECT_EQ(s.rows, (std::vector<std::wstring>{L"                    ", L"                 ABC"}));
    EXPECT_EQ(s.cursor_row, 1);
    EXPECT_EQ(s.cursor_column, 19);
    EXPECT_EQ(s.brightness, 40);
    EXPECT_EQ(s.blink_rate, 500);
}

class MsrControl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(co.ok());
        feed = opos_bench::CardFeed::Open(BenchName());
        ASSERT_TRUE(feed);
        ASSERT_EQ(0, co.Call(L"Open", {S(Str(L"BenchMSR"))}));
        ASSERT_EQ(0, co.Call(L"ClaimDevice", {L(1000)}));
        ASSERT_EQ(S_OK, co.Put(L"DeviceEnabled", B(true)));
    }
    CoClient co{kMsr, kMsrEvents};
    std::unique_ptr<opos_bench::CardFeed> feed;
};

TEST_F(MsrControl, SwipeDeliversDataEventAndClearsDataEventEnabled) {
    ASSERT_EQ(S_OK, co.Put(L"TracksToRead", L(3)));
    ASSERT_EQ(S_OK, co.Put(L"TransmitSentinels", B(true)));
    EXPECT_TRUE(co.GetBool(L"TransmitSentinels"));
    ASSERT_EQ(S_OK, co.Put(L"DataEventEnabled", B(true)));
    opos_bench::CardInput in;
    in.tracks[0] = "B4111111111111111^BENCH/CARD^30121010000";
    in.tracks[1] = "4111111111111111=3012101";
    in.tracks[2] = "0123";
    feed->Post(in);
    ASSERT_TRUE(CoClient::PumpUntil([&] { return !co.events().empty(); }, 5000));
    CoClient::Pump(100);
    ASSERT_EQ(1u, co.events().size());
    EXPECT_EQ(1, co.events()[0].id);
    EXPECT_EQ(std::vector<long>{(26 << 8) | 42}, co.events()[0].args);
    EXPECT_EQ(L"%B4111111111111111^BENCH/CARD^30121010000?", co.GetString(L"Track1Data"));
    EXPECT_EQ(L";4111111111111111=3012101?", co.GetString(L"Track2Data"));
    EXPECT_EQ(L"", co.GetString(L"Track3Data"));
    EXPECT_FALSE(co.GetBool(L"DataEventEnabled"));
    EXPECT_EQ(0, co.Call(L"ClearInput"));
    EXPECT_EQ(L"", co.GetString(L"Track1Data"));
}

// A technician's swipe from outside: the bench tool, run as another process,
// reaches the MSR that this process holds open.
TEST_F(MsrControl, SwipeFromTheBenchToolInAnotherProcessArrives) {
    ASSERT_EQ(S_OK, co.Put(L"TracksToRead", L(3)));
    ASSERT_EQ(S_OK, co.Put(L"DataEventEnabled", B(true)));
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir = dir.substr(0, dir.find_last_of(L"\\/"));
    std::wstring cmd = L"\"" + dir + L"\\opos-sim.exe\" swipe B5555444433332222^TOOL/CARD^2912 5555444433332222=2912";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 20000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(0u, code);
    ASSERT_TRUE(CoClient::PumpUntil([&] { return !co.events().empty(); }, 5000));
    EXPECT_EQ(1, co.events()[0].id);
    EXPECT_EQ(L"B5555444433332222^TOOL/CARD^2912", co.GetString(L"Track1Data"));
    EXPECT_EQ(L"5555444433332222=2912", co.GetString(L"Track2Data"));
    EXPECT_FALSE(co.GetBool(L"DataEventEnabled"));
}

TEST_F(MsrControl, ReadErrorDeliversErrorEvent) {
    ASSERT_EQ(S_OK, co.Put(L"DataEventEnabled", B(true)));
    opos_bench::CardInput in;
    in.kind = opos_bench::CardInput::kReadError;
    feed->Post(in);
    ASSERT_TRUE(CoClient::PumpUntil([&] { return !co.events().empty(); }, 5000));
    ASSERT_EQ(1u, co.events().size());
    EXPECT_EQ(3, co.events()[0].id);
    EXPECT_EQ((std::vector<long>{114, 204, 2, 12}), co.events()[0].args);
}

TEST_F(MsrControl, SwipeWaitsForDataEventEnabled) {
    opos_bench::CardInput in;
    in.tracks[0] = "ABC";
    feed->Post(in);
    CoClient::Pump(300);
    EXPECT_TRUE(co.events().empty());
    ASSERT_EQ(S_OK, co.Put(L"DataEventEnabled", B(true)));
    ASSERT_TRUE(CoClient::PumpUntil([&] { return !co.events().empty(); }, 5000));
    EXPECT_EQ(std::vector<long>{3}, co.events()[0].args);
    EXPECT_EQ(0, co.Call(L"Close"));
    EXPECT_EQ(101, co.Call(L"ClearInput"));
}

}  // namespace
