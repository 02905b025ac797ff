// The control object stand-ins against the bench's own service objects:
// the open sequence and its failures, the closed state, cross-thread event
// delivery with freezing and closing, the line display and the MSR.
#include <windows.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include "bench_env.h"
#include "card_feed.h"
#include "co_client.h"
#include "dispatch_util.h"
#include "display_mirror.h"
#include "setup_entries.h"
#include "wine_host.h"

namespace {

using namespace opos_bench::test;
using opos_bench::DeleteEntry;
using opos_bench::WriteProgIdEntry;

constexpr long kStatusUpdate = 5;

// A key under the machine's classes with a default value (a ProgID's CLSID).
bool WriteClassKey(const std::wstring& path, const std::wstring& value) {
    return RegSetValueW(HKEY_CLASSES_ROOT, path.c_str(), REG_SZ, value.c_str(),
                        static_cast<DWORD>(value.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}
void DeleteClassKey(const std::wstring& path) { RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str()); }

void SetEntryNumber(const wchar_t* device, const wchar_t* name, DWORD value) {
    const std::wstring key = std::wstring(L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\") + device;
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

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
        RefString s;
        return co.Call(L"DirectIO", {L(1), opos_bench::LongRefArg(&d), s.Arg()});
    }
    long JoinEventThread() {
        long d = 0;
        RefString s;
        return co.Call(L"DirectIO", {L(2), opos_bench::LongRefArg(&d), s.Arg()});
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

// Every open result the control object gives, each with the result code that
// Open returns and ResultCode then holds: no key (302), no ProgID or one
// that is not registered (303), a class that cannot be created (304), a
// service object lacking methods (305), OpenService failing (306, with its
// code), a major version other than 1 (307), a service object's own open
// result of 401 and above (passed on), and Open while open (301).
TEST_F(CashDrawerControl, OpenResults) {
    ASSERT_TRUE(WriteClassKey(L"OposBench.Unregistered\\CLSID", L"{6E0F0B52-55C4-4F35-9E42-2A3D8F1C0001}"));
    struct Case {
        const wchar_t* prog_id;   // null: no key at all
        DWORD open_result_value;  // BenchOpenResult of the test service object; 0: none
        long result, open_result;
    } cases[] = {
        {nullptr, 0, 109, 302},
        {L"", 0, 109, 303},
        {L"OposBench.NoSuchObject", 0, 109, 303},
        {L"OposBench.Unregistered", 0, 104, 304},
        {L"OposBench.MSR", 0, 104, 305},  // lacks OpenDrawer and WaitForDrawerClose
        {L"OposBench.TestCashDrawer", 111, 111, 306},
        {L"OposBench.TestCashDrawerV2", 0, 104, 307},
        {L"OposBench.TestCashDrawer", 401, 104, 401},
        {L"OposBench.TestCashDrawer", 403, 104, 403},
        {L"OposBench.TestCashDrawer", 450, 104, 450},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.prog_id ? c.prog_id : L"(no key)") << " " << c.open_result_value);
        DeleteEntry(L"CashDrawer", L"CoBad");
        if (c.prog_id) {
            ASSERT_TRUE(WriteProgIdEntry(L"CashDrawer", L"CoBad", c.prog_id));
        }
        if (c.open_result_value) SetEntryNumber(L"CoBad", L"BenchOpenResult", c.open_result_value);
        EXPECT_EQ(c.result, co.Call(L"Open", {S(Str(L"CoBad"))}));
        EXPECT_EQ(c.open_result, co.GetLong(L"OpenResult"));
        EXPECT_EQ(c.result, co.GetLong(L"ResultCode"));
        EXPECT_EQ(1, co.GetLong(L"State"));
    }
    DeleteEntry(L"CashDrawer", L"CoBad");
    DeleteClassKey(L"OposBench.Unregistered");
    // After the failures the object opens normally; a second Open is 106.
    EXPECT_EQ(0, co.Call(L"Open", {S(Str(L"CoTest"))}));
    EXPECT_EQ(0, co.GetLong(L"OpenResult"));
    EXPECT_EQ(106, co.Call(L"Open", {S(Str(L"CoTest"))}));
    EXPECT_EQ(301, co.GetLong(L"OpenResult"));
    EXPECT_EQ(106, co.GetLong(L"ResultCode")) << "the control object's own failure";
    EXPECT_EQ(2, co.GetLong(L"State"));
}

// ResultCode after a method is that method's return, whoever made it: the
// service object, a call that failed as a COM call, Close itself. A property
// put leaves it to the service object.
TEST_F(CashDrawerControl, ResultCodeIsTheReturnOfEachMethod) {
    EXPECT_EQ(101, co.Call(L"Close"));
    EXPECT_EQ(101, co.GetLong(L"ResultCode"));
    OpenClaimEnable();
    long d = 0;
    RefString text;
    EXPECT_EQ(111, co.Call(L"DirectIO", {L(9), opos_bench::LongRefArg(&d), text.Arg()}));
    EXPECT_EQ(111, co.GetLong(L"ResultCode")) << "a COM failure";
    EXPECT_EQ(106, co.Call(L"DirectIO", {L(7), opos_bench::LongRefArg(&d), text.Arg()}));
    EXPECT_EQ(106, co.GetLong(L"ResultCode"));
    ASSERT_EQ(S_OK, co.Put(L"DeviceEnabled", B(true)));
    EXPECT_EQ(0, co.GetLong(L"ResultCode")) << "the service object's, after a put";
    EXPECT_EQ(0, co.Call(L"Close"));
    EXPECT_EQ(0, co.GetLong(L"ResultCode"));
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
    Sleep(100);  // the thread now waits for this thread
    EXPECT_EQ(0, JoinEventThread());
    EXPECT_EQ(1u, StatusEvents());
    CoClient::Pump(200);
    EXPECT_EQ(1u, StatusEvents());
}

// FreezeEvents: closed, a put gives 101 and changes nothing and a read is
// False; Open starts unfrozen; events held while frozen release their callers
// at once and reach the application from its message loop after the put that
// unfroze, not inside it.
TEST_F(CashDrawerControl, FreezeEventsRules) {
    EXPECT_FALSE(co.GetBool(L"FreezeEvents"));
    EXPECT_EQ(101, co.GetLong(L"ResultCode"));
    ASSERT_EQ(S_OK, co.Put(L"FreezeEvents", B(true)));
    EXPECT_EQ(101, co.GetLong(L"ResultCode"));
    EXPECT_FALSE(co.GetBool(L"FreezeEvents")) << "nothing changed";
    OpenClaimEnable();
    EXPECT_FALSE(co.GetBool(L"FreezeEvents"));
    ASSERT_EQ(S_OK, co.Put(L"FreezeEvents", B(true)));
    EXPECT_EQ(0, co.GetLong(L"ResultCode"));
    EXPECT_TRUE(co.GetBool(L"FreezeEvents"));
    ASSERT_EQ(0, StatusFromThread(4));
    EXPECT_EQ(0, JoinEventThread());  // a held event releases its caller
    CoClient::Pump(200);
    EXPECT_EQ(0u, StatusEvents());
    ASSERT_EQ(S_OK, co.Put(L"FreezeEvents", B(false)));
    EXPECT_EQ(0u, StatusEvents()) << "not inside the put";
    CoClient::Pump(200);
    ASSERT_EQ(1u, StatusEvents());
    EXPECT_EQ(std::vector<long>{4}, co.events()[0].args);
    // Frozen at Close: closed it reads False, and the next Open is unfrozen.
    ASSERT_EQ(S_OK, co.Put(L"FreezeEvents", B(true)));
    EXPECT_EQ(0, co.Call(L"Close"));
    EXPECT_FALSE(co.GetBool(L"FreezeEvents"));
    ASSERT_EQ(0, co.Call(L"Open", {S(Str(L"CoTest"))}));
    EXPECT_FALSE(co.GetBool(L"FreezeEvents"));
}

// Close with a service object thread waiting for the application's thread.
// By default the control object releases it before CloseService, and the
// event is dropped. In strict mode (OPOS_BENCH_STRICT=1) it does not: the
// thread is released only when CloseService's own message loop delivers it.
TEST_F(CashDrawerControl, CloseReleasesAWaitingEventCallerUnlessStrict) {
    struct Case {
        const wchar_t* strict;
        size_t events;
    } cases[] = {{nullptr, 0}, {L"1", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strict ? "strict" : "default");
        SetEnvironmentVariableW(L"OPOS_BENCH_STRICT", c.strict);
        co.clear_events();
        OpenClaimEnable();
        ASSERT_EQ(0, StatusFromThread(1));
        Sleep(100);                       // the thread now waits for this thread
        EXPECT_EQ(0, co.Call(L"Close"));  // the test service object joins its thread in CloseService
        EXPECT_EQ(c.events, StatusEvents());
        CoClient::Pump(200);
        EXPECT_EQ(c.events, StatusEvents());
    }
    SetEnvironmentVariableW(L"OPOS_BENCH_STRICT", nullptr);
}

// An application's sink that answers only IDispatch, not the events interface.
class DispatchOnlySink final : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IDispatch) ? static_cast<IDispatch*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return S_OK; }
};

// IDispatch as a type-library dispatcher answers it, and the connection
// point contract: what works on the bench works with the published objects.
TEST_F(CashDrawerControl, AutomationStrictness) {
    IDispatch* d = co.dispatch();
    const DISPID state = IdOf(d, L"State"), enabled = IdOf(d, L"DeviceEnabled"), close = IdOf(d, L"Close");
    const WORD get = DISPATCH_PROPERTYGET, method = DISPATCH_METHOD, put = DISPATCH_PROPERTYPUT;
    const DISPID put_id = DISPID_PROPERTYPUT;
    struct Case {
        const char* what;
        DISPID id;
        WORD flags;
        std::vector<VARIANT> args;
        std::vector<DISPID> named;
        HRESULT expected;
    } cases[] = {
        {"read", state, get, {}, {}, S_OK},
        {"read as Visual Basic sends it", state, WORD(get | method), {}, {}, S_OK},
        {"read as a method", state, method, {}, {}, DISP_E_MEMBERNOTFOUND},
        {"read with an argument", state, get, {L(1)}, {}, DISP_E_BADPARAMCOUNT},
        {"put of a read-only property", state, put, {L(1)}, {put_id}, DISP_E_MEMBERNOTFOUND},
        {"put", enabled, put, {B(false)}, {put_id}, S_OK},
        {"put without the named argument", enabled, put, {B(false)}, {}, DISP_E_PARAMNOTOPTIONAL},
        {"put with another named argument", enabled, put, {B(false)}, {0}, DISP_E_PARAMNOTOPTIONAL},
        {"put with two arguments", enabled, put, {B(false), L(1)}, {put_id}, DISP_E_BADPARAMCOUNT},
        {"put by reference", enabled, DISPATCH_PROPERTYPUTREF, {B(false)}, {put_id}, DISP_E_MEMBERNOTFOUND},
        {"put mixed with a read", enabled, WORD(put | get), {B(false)}, {put_id}, DISP_E_MEMBERNOTFOUND},
        {"method", close, method, {}, {}, S_OK},
        {"method as Visual Basic sends it", close, WORD(get | method), {}, {}, S_OK},
        {"method read as a property", close, get, {}, {}, DISP_E_MEMBERNOTFOUND},
        {"method with a named argument", close, method, {L(1)}, {0}, DISP_E_NONAMEDARGS},
        {"unknown member", 4711, method, {}, {}, DISP_E_MEMBERNOTFOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, RawInvoke(d, c.id, c.flags, c.args, c.named));
    }
    const GUID other = IID_IDispatch;
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, RawInvoke(d, state, get, {}, {}, other));
    LPOLESTR name = const_cast<LPOLESTR>(L"State");
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, d->GetIDsOfNames(other, &name, 1, LOCALE_USER_DEFAULT, &id));

    // The object is a container, not a connection point; its one point is
    // found by the events identifier and by enumeration.
    Microsoft::WRL::ComPtr<IConnectionPoint> self;
    EXPECT_EQ(E_NOINTERFACE, d->QueryInterface(IID_PPV_ARGS(&self)));
    Microsoft::WRL::ComPtr<IConnectionPointContainer> cpc;
    ASSERT_EQ(S_OK, d->QueryInterface(IID_PPV_ARGS(&cpc)));
    Microsoft::WRL::ComPtr<IConnectionPoint> found, listed, extra;
    ASSERT_EQ(S_OK, cpc->FindConnectionPoint(kCashDrawerEvents, &found));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, cpc->FindConnectionPoint(IID_IDispatch, &extra));
    Microsoft::WRL::ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, cpc->EnumConnectionPoints(&points));
    ULONG fetched = 0;
    ASSERT_EQ(S_OK, points->Next(1, &listed, &fetched));
    EXPECT_EQ(1u, fetched);
    EXPECT_EQ(found.Get(), listed.Get());
    EXPECT_EQ(S_FALSE, points->Next(1, &extra, &fetched));
    EXPECT_EQ(0u, fetched);
    IID iid{};
    EXPECT_EQ(S_OK, listed->GetConnectionInterface(&iid));
    EXPECT_TRUE(IsEqualIID(iid, kCashDrawerEvents));
    Microsoft::WRL::ComPtr<IEnumConnections> connections;
    ASSERT_EQ(S_OK, found->EnumConnections(&connections));
    CONNECTDATA data{};
    ASSERT_EQ(S_OK, connections->Next(1, &data, &fetched));
    EXPECT_EQ(1u, data.dwCookie) << "the client's sink";
    data.pUnk->Release();

    // A sink must answer the events interface; IDispatch alone is refused.
    DispatchOnlySink plain;
    DWORD cookie = 77;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, found->Advise(&plain, &cookie));
    EXPECT_EQ(0u, cookie);
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
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }  // lives on the stack
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
    IDispatch* target = nullptr;  // the application's only reference
    int status_events = 0;
    LONG refs_ = 1;
};

// A CashDrawer control object with `sink` advised on its events. On failure
// *co is null and nothing is held.
HRESULT CreateAdvisedCashDrawer(IUnknown* sink, IDispatch** co) {
    *co = nullptr;
    Microsoft::WRL::ComPtr<IDispatch> object;
    HRESULT hr = CoCreateInstance(kCashDrawer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
    Microsoft::WRL::ComPtr<IConnectionPointContainer> cpc;
    Microsoft::WRL::ComPtr<IConnectionPoint> cp;
    if (SUCCEEDED(hr)) hr = object.As(&cpc);
    if (SUCCEEDED(hr)) hr = cpc->FindConnectionPoint(kCashDrawerEvents, &cp);
    DWORD cookie = 0;
    if (SUCCEEDED(hr)) hr = cp->Advise(sink, &cookie);
    if (SUCCEEDED(hr)) *co = object.Detach();
    return hr;
}

TEST(ControlObjectLifetime, HandlerReleasingTheLastReferenceEndsTheObjectCleanly) {
    ASSERT_TRUE(WriteProgIdEntry(L"CashDrawer", L"CoTest", L"OposBench.TestCashDrawer"));
    for (int round = 0; round < 20; ++round) {
        ReleasingSink sink;
        IDispatch* co = nullptr;
        ASSERT_EQ(S_OK, CreateAdvisedCashDrawer(&sink, &co));
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
        RefString s;
        ASSERT_EQ(0, call(L"DirectIO", {L(1), opos_bench::LongRefArg(&d), s.Arg()}));
        sink.target = co;
        // The handler ends the object (closing it and its service object);
        // the event thread is released and nothing touches the ended object.
        ASSERT_TRUE(CoClient::PumpUntil([&] { return sink.status_events == 1 && sink.target == nullptr; }, 5000));
        CoClient::Pump(50);
        EXPECT_EQ(1, sink.status_events);
        EXPECT_EQ(1, sink.refs_);  // the ended object released its sink
    }
    DeleteEntry(L"CashDrawer", L"CoTest");
}

// The handler releases the application's last reference while the
// application's own call is still inside the control object: the service
// object waits for its event thread there, dispatching messages, and the
// event arrives. The object ends only when that call has returned.
TEST(ControlObjectLifetime, ReleasedByAHandlerDuringTheApplicationsOwnCall) {
    ASSERT_TRUE(WriteProgIdEntry(L"CashDrawer", L"CoTest", L"OposBench.TestCashDrawer"));
    ReleasingSink sink;
    IDispatch* co = nullptr;
    ASSERT_EQ(S_OK, CreateAdvisedCashDrawer(&sink, &co));
    opos_bench::Variant r;
    ASSERT_EQ(S_OK, RawInvoke(co, IdOf(co, L"Open"), DISPATCH_METHOD, {S(Str(L"CoTest"))}, {}, IID_NULL, r.get()));
    long d = 5;
    RefString text;
    const DISPID direct_io = IdOf(co, L"DirectIO");
    ASSERT_EQ(S_OK, RawInvoke(co, direct_io, DISPATCH_METHOD, {L(1), opos_bench::LongRefArg(&d), text.Arg()}, {}));
    Sleep(100);  // the event thread waits for this thread
    sink.target = co;
    ASSERT_EQ(S_OK, RawInvoke(co, direct_io, DISPATCH_METHOD, {L(2), opos_bench::LongRefArg(&d), text.Arg()}, {},
                              IID_NULL, r.get()));
    EXPECT_EQ(VT_I4, r.ref().vt);
    EXPECT_EQ(0, r.ref().lVal);
    EXPECT_EQ(1, sink.status_events);
    EXPECT_EQ(nullptr, sink.target) << "the handler released it";
    EXPECT_EQ(1, sink.refs_) << "the ended object released its sink";
    EXPECT_TRUE(AllHeapsValid());
    DeleteEntry(L"CashDrawer", L"CoTest");
}

// The bench changes the registry only under Wine, and its unregistration
// removes only classes that name OposBench.dll: a real control object
// registered under a published class identifier keeps its keys.
TEST(BenchRegistration, RefusedOutsideWineAndRemovesOnlyItsOwnClasses) {
    EXPECT_TRUE(opos_bench::RunningOnWine());
    EXPECT_TRUE(opos_bench::IsWineNtdll(GetModuleHandleW(L"ntdll.dll")));
    EXPECT_FALSE(opos_bench::IsWineNtdll(GetModuleHandleW(L"kernel32.dll"))) << "a module without the export";
    EXPECT_FALSE(opos_bench::IsWineNtdll(nullptr));

    const std::wstring real = L"CLSID\\{CCB90042-B81E-11D2-AB74-0040054C3719}";
    const std::wstring line_display = L"CLSID\\{CCB90102-B81E-11D2-AB74-0040054C3719}";
    ASSERT_TRUE(WriteClassKey(real + L"\\InprocServer32", L"C:\\OPOS\\Common\\OPOSCashDrawer.ocx"));
    ASSERT_TRUE(opos_bench::RegisterBenchServer(false));
    auto exists = [](const std::wstring& path) {
        HKEY k = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        RegCloseKey(k);
        return true;
    };
    EXPECT_TRUE(exists(real + L"\\InprocServer32")) << "another server's class stays";
    EXPECT_TRUE(exists(L"OPOS.CashDrawer")) << "and its ProgID";
    EXPECT_FALSE(exists(line_display)) << "the bench's own classes go";
    EXPECT_FALSE(exists(L"OPOS.LineDisplay"));
    DeleteClassKey(real);
    DeleteClassKey(L"OPOS.CashDrawer");
    ASSERT_TRUE(opos_bench::RegisterBenchServer(true));
    EXPECT_TRUE(exists(real + L"\\InprocServer32"));
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
    EXPECT_EQ(S_OK, co.Put(L"CursorRow", L(2)));  // rows are 0 and 1
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
