#include "common/opos/device_numbers.h"
#include "common/opos/opos_numbers.h"
#include "control_object.h"

#include <wrl/client.h>

#include <cwchar>
#include <new>

#include "common/win32/handle.h"
#include "common/entry/cash_drawer_entry.h"
#include "common/win32/com_enumerator.h"
#include "event_point.h"
#include "module.h"

using Microsoft::WRL::ComPtr;

namespace opos_bench {

using namespace common::opos;

namespace {

constexpr long kControlObjectVersion = 1005000;

enum : DISPID {
    kIdOpen = 1,
    kIdClose,
    kIdResultCode = 10,
    kIdState,
    kIdOpenResult,
    kIdFreezeEvents,
    kIdServiceObjectVersion,
    kIdControlObjectVersion,
    kIdControlObjectDescription,
    kIdMethodBase = 100,
    kIdPropBase = 200,
    kIdSoData = 901,
    kIdSoDirectIo,
    kIdSoError,
    kIdSoOutputComplete,
    kIdSoStatusUpdate,
    kIdSoProcessId,
};

// Reads the device key's default value (the service object's ProgID).
// Returns 0, or the OpenResult that names what is missing.
long ReadProgId(const wchar_t* class_name, const std::wstring& device, std::wstring* prog_id) {
    std::wstring path = std::wstring(common::entry::wide::kOposRoot) + L"\\" + class_name + L"\\" + device;
    common::win32::UniqueRegKey key;
    if (device.empty() || RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return kOrRegBadName;
    }
    wchar_t buf[512] = {};
    DWORD type = 0;
    DWORD size = sizeof(buf) - sizeof(wchar_t);  // room for our own terminator
    LONG rc = RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return kOrRegProgId;
    buf[size / sizeof(wchar_t)] = L'\0';
    *prog_id = buf;
    while (!prog_id->empty() && prog_id->back() == L'\0') prog_id->pop_back();
    return prog_id->empty() ? kOrRegProgId : 0;
}

// How a member may be invoked, as a type-library dispatcher allows it.
enum class Member { None, Method, ReadOnly, ReadWrite };

// The type-library rules for one call: methods need DISPATCH_METHOD;
// properties are read with DISPATCH_PROPERTYGET (alone or with
// DISPATCH_METHOD, as Visual Basic sends) and no arguments, and written with
// DISPATCH_PROPERTYPUT and exactly one argument named DISPID_PROPERTYPUT.
HRESULT CheckCall(Member kind, WORD flags, const DISPPARAMS& p) {
    const WORD puts = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
    if (kind == Member::Method) {
        if (!(flags & DISPATCH_METHOD) || (flags & puts)) return DISP_E_MEMBERNOTFOUND;
        return p.cNamedArgs ? DISP_E_NONAMEDARGS : S_OK;
    }
    if ((flags & DISPATCH_PROPERTYGET) && !(flags & puts)) {
        if (p.cNamedArgs) return DISP_E_NONAMEDARGS;
        return p.cArgs ? DISP_E_BADPARAMCOUNT : S_OK;
    }
    if (flags != DISPATCH_PROPERTYPUT || kind != Member::ReadWrite) return DISP_E_MEMBERNOTFOUND;
    if (p.cNamedArgs != 1 || !p.rgdispidNamedArgs || p.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
        return DISP_E_PARAMNOTOPTIONAL;
    return p.cArgs == 1 ? S_OK : DISP_E_BADPARAMCOUNT;
}

// OPOS_BENCH_STRICT=1: the control objects promise no more than the published
// ones; in particular Close does not release service object threads that
// wait for the application's thread before it calls CloseService.
bool StrictMode() {
    wchar_t value[4] = {};
    return GetEnvironmentVariableW(L"OPOS_BENCH_STRICT", value, 4) == 1 && value[0] == L'1';
}

// OPOS_BENCH_SLOW_OPEN_MS=<n>: Open first runs the caller's message loop for
// n milliseconds, as a service object does that waits for its hardware while
// dispatching: the application sees input and events during its call.
void DispatchDuringSlowOpen() {
    wchar_t value[12] = {};
    const DWORD got = GetEnvironmentVariableW(L"OPOS_BENCH_SLOW_OPEN_MS", value, 12);
    if (got == 0 || got >= 12) return;
    const DWORD ms = static_cast<DWORD>(wcstoul(value, nullptr, 10));
    const DWORD start = GetTickCount();
    for (DWORD passed = 0; passed < ms; passed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - passed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

class ControlObject final : public IDispatch, public IConnectionPointContainer {
public:
    explicit ControlObject(const ClassSpec& spec)
        : spec_(spec), point_(this, spec.events), relay_([this](EventCall& call) { Fire(call); }) {
        LockModule();
        names_ = {{L"Open", kIdOpen},
                  {L"Close", kIdClose},
                  {L"ResultCode", kIdResultCode},
                  {L"State", kIdState},
                  {L"OpenResult", kIdOpenResult},
                  {L"FreezeEvents", kIdFreezeEvents},
                  {L"ServiceObjectVersion", kIdServiceObjectVersion},
                  {L"ControlObjectVersion", kIdControlObjectVersion},
                  {L"ControlObjectDescription", kIdControlObjectDescription},
                  {L"SOData", kIdSoData},
                  {L"SODirectIO", kIdSoDirectIo},
                  {L"SOError", kIdSoError},
                  {L"SOOutputComplete", kIdSoOutputComplete},
                  {L"SOOutputCompleteEvent", kIdSoOutputComplete},
                  {L"SOStatusUpdate", kIdSoStatusUpdate},
                  {L"SOProcessID", kIdSoProcessId}};
        for (size_t i = 0; i < spec_.methods.size(); ++i)
            names_.push_back({spec_.methods[i].name, kIdMethodBase + static_cast<DISPID>(i)});
        for (size_t i = 0; i < spec_.props.size(); ++i)
            names_.push_back({spec_.props[i].name, kIdPropBase + static_cast<DISPID>(i)});
    }
    ~ControlObject() {
        CloseDevice();
        UnlockModule();
    }

    // IUnknown: IDispatch and IConnectionPointContainer; the connection point
    // is an object of its own.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
        } else if (iid == IID_IConnectionPointContainer) {
            *out = static_cast<IConnectionPointContainer*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        if (!n) return E_POINTER;
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        return LookupNames(names_, names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        const Member kind = KindOf(id);
        if (kind == Member::None) return DISP_E_MEMBERNOTFOUND;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        const HRESULT usable = CheckCall(kind, flags, params ? *params : none);
        if (FAILED(usable)) return usable;
        const bool put = kind != Member::Method && flags == DISPATCH_PROPERTYPUT;
        // The service object's callbacks come from its own threads too; the
        // relay keeps their delivery safe, and a reference taken there could
        // end the object on such a thread.
        if (id >= kIdSoData && id <= kIdSoProcessId) return Guarded(id, put, params, result);
        // A handler run during the application's call (the service object
        // dispatches messages) may release the application's last reference.
        KeepAlive alive(this);
        return Guarded(id, put, params, result);
    }

    // IConnectionPointContainer: the one point, for the class's events.
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        try {
            return common::win32::ConnectionPointEnumerator<ModuleLock>::Create({&point_}, 0, out);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != spec_.events) return CONNECT_E_NOCONNECTION;
        *out = &point_;
        point_.AddRef();
        return S_OK;
    }

private:
    class KeepAlive {
    public:
        explicit KeepAlive(ControlObject* o) : o_(o) { o_->AddRef(); }
        ~KeepAlive() { o_->Release(); }
        KeepAlive(const KeepAlive&) = delete;
        KeepAlive& operator=(const KeepAlive&) = delete;

    private:
        ControlObject* o_;
    };

    Member KindOf(DISPID id) const {
        switch (id) {
        case kIdOpen:
        case kIdClose:
        case kIdSoData:
        case kIdSoDirectIo:
        case kIdSoError:
        case kIdSoOutputComplete:
        case kIdSoStatusUpdate:
        case kIdSoProcessId: return Member::Method;
        case kIdFreezeEvents: return Member::ReadWrite;
        case kIdResultCode:
        case kIdState:
        case kIdOpenResult:
        case kIdServiceObjectVersion:
        case kIdControlObjectVersion:
        case kIdControlObjectDescription: return Member::ReadOnly;
        default: break;
        }
        if (id >= kIdMethodBase && id < kIdMethodBase + static_cast<DISPID>(spec_.methods.size()))
            return Member::Method;
        if (id >= kIdPropBase && id < kIdPropBase + static_cast<DISPID>(spec_.props.size()))
            return spec_.props[id - kIdPropBase].writable ? Member::ReadWrite : Member::ReadOnly;
        return Member::None;
    }

    HRESULT Guarded(DISPID id, bool put, DISPPARAMS* params, VARIANT* result) noexcept {
        try {
            return Dispatch(id, put, Args(params), result);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    // A call that CheckCall accepted.
    HRESULT Dispatch(DISPID id, bool put, const Args& args, VARIANT* result) {
        switch (id) {
        case kIdOpen: {
            std::wstring device;
            if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
            if (!args.String(0, &device)) return DISP_E_TYPEMISMATCH;
            SetResultLong(result, Open(device));
            return S_OK;
        }
        case kIdClose:
            if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
            SetResultLong(result, Close());
            return S_OK;
        case kIdSoData:
        case kIdSoDirectIo:
        case kIdSoError:
        case kIdSoOutputComplete:
        case kIdSoStatusUpdate: return FromServiceObject(id, args);
        case kIdSoProcessId: SetResultLong(result, static_cast<long>(GetCurrentProcessId())); return S_OK;
        case kIdFreezeEvents: return put ? PutFreezeEvents(args) : GetFreezeEvents(result);
        case kIdResultCode: SetResultLong(result, ResultCode()); return S_OK;
        case kIdState: SetResultLong(result, so_ ? NumberFromSo(kPidxState) : kStateClosed); return S_OK;
        case kIdOpenResult: SetResultLong(result, open_result_); return S_OK;
        case kIdServiceObjectVersion: SetResultLong(result, so_ ? so_version_ : 0); return S_OK;
        case kIdControlObjectVersion: SetResultLong(result, kControlObjectVersion); return S_OK;
        case kIdControlObjectDescription: return SetResultString(result, spec_.description);
        default: break;
        }
        if (id >= kIdMethodBase && id < kIdPropBase) return CallMethod(spec_.methods[id - kIdMethodBase], args, result);
        const PropSpec& p = spec_.props[id - kIdPropBase];
        return put ? PutProp(p, args) : GetProp(p, result);
    }

    // Read while closed: False (ResultCode 101).
    HRESULT GetFreezeEvents(VARIANT* result) {
        if (!so_) SetOwnResult(kClosed);
        SetResultBool(result, so_ && relay_.frozen());
        return S_OK;
    }

    // While closed: 101 and nothing changes. Open: the service object's
    // COFreezeEvents decides, and its result is ResultCode.
    HRESULT PutFreezeEvents(const Args& args) {
        bool on = false;
        if (!args.Bool(0, &on)) return DISP_E_TYPEMISMATCH;
        if (!so_) {
            SetOwnResult(kClosed);
            return S_OK;
        }
        long rc = kFailure;
        CallSo(L"COFreezeEvents", {BoolArg(on)}, &rc);
        SetOwnResult(rc);
        if (rc == kSuccess) relay_.Freeze(on);
        return S_OK;
    }

    // A property put forwarded to the service object, whose ResultCode then
    // tells its outcome; while closed, 101.
    HRESULT PutProp(const PropSpec& p, const Args& args) {
        if (!so_) {
            SetOwnResult(kClosed);
            return S_OK;
        }
        own_result_ = false;
        if (p.type == PropType::String) {
            std::wstring s;
            if (!args.String(0, &s)) return DISP_E_TYPEMISMATCH;
            BSTR b = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
            if (!b) return E_OUTOFMEMORY;
            CallSo(L"SetPropertyString", {LongArg(p.pidx), BstrArg(b)}, static_cast<long*>(nullptr));
            SysFreeString(b);
            return S_OK;
        }
        long value = 0;
        if (p.type == PropType::Bool) {
            bool on = false;
            if (!args.Bool(0, &on)) return DISP_E_TYPEMISMATCH;
            value = on ? 1 : 0;
        } else if (!args.Long(0, &value)) {
            return DISP_E_TYPEMISMATCH;
        }
        CallSo(L"SetPropertyNumber", {LongArg(p.pidx), LongArg(value)}, static_cast<long*>(nullptr));
        return S_OK;
    }

    // A property read forwarded to the service object; while closed, the
    // type's empty value and ResultCode 101.
    HRESULT GetProp(const PropSpec& p, VARIANT* result) {
        if (!so_) {
            SetOwnResult(kClosed);
            if (p.type == PropType::String) return SetResultString(result, L"");
            if (p.type == PropType::Bool) {
                SetResultBool(result, false);
            } else {
                SetResultLong(result, 0);
            }
            return S_OK;
        }
        if (p.type == PropType::String) {
            Variant v;
            CallSo(L"GetPropertyString", {LongArg(p.pidx)}, v.get());
            std::wstring s;
            if (v.ref().vt == VT_BSTR && v.ref().bstrVal) s.assign(v.ref().bstrVal, SysStringLen(v.ref().bstrVal));
            return SetResultString(result, s);
        }
        long n = NumberFromSo(p.pidx);
        if (p.type == PropType::Bool) {
            SetResultBool(result, n != 0);
        } else {
            SetResultLong(result, n);
        }
        return S_OK;
    }

    // A method forwarded to the service object; its result (111 when the
    // call fails as a COM call) is returned and becomes ResultCode.
    HRESULT CallMethod(const MethodSpec& m, const Args& args, VARIANT* result) {
        if (args.count() != m.args.size()) return DISP_E_BADPARAMCOUNT;
        if (!so_) {
            SetOwnResult(kClosed);
            SetResultLong(result, kClosed);
            return S_OK;
        }
        // Values are converted into local storage; by-reference parameters
        // are written back to the caller's arguments after the call.
        std::vector<long> longs(m.args.size());
        std::vector<BSTR> strings(m.args.size(), nullptr);
        std::vector<VARIANT> out;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < m.args.size() && SUCCEEDED(hr); ++i) {
            std::wstring s;
            switch (m.args[i]) {
            case ArgKind::Long:
            case ArgKind::LongRef:
                if (!args.Long(i, &longs[i])) hr = DISP_E_TYPEMISMATCH;
                out.push_back(m.args[i] == ArgKind::Long ? LongArg(longs[i]) : LongRefArg(&longs[i]));
                break;
            case ArgKind::String:
            case ArgKind::StringRef:
                if (!args.String(i, &s)) {
                    hr = DISP_E_TYPEMISMATCH;
                } else if (!(strings[i] = SysAllocStringLen(s.data(), static_cast<UINT>(s.size())))) {
                    hr = E_OUTOFMEMORY;
                }
                out.push_back(m.args[i] == ArgKind::String ? BstrArg(strings[i]) : BstrRefArg(&strings[i]));
                break;
            }
        }
        long rc = kFailure;
        if (SUCCEEDED(hr)) {
            CallSo(m.name, out, &rc);
            SetOwnResult(rc);
            for (UINT i = 0; i < m.args.size(); ++i) {
                if (m.args[i] == ArgKind::LongRef) StoreLong(args.Raw(i), longs[i]);
                if (m.args[i] == ArgKind::StringRef)
                    StoreString(args.Raw(i), strings[i] ? std::wstring(strings[i], SysStringLen(strings[i])) : L"");
            }
            SetResultLong(result, rc);
        }
        for (BSTR b : strings) SysFreeString(b);
        return hr;
    }

    // Calls a service object method by name, with the dispatch identifier
    // looked up once. With `rc`, the result is read as a long (the result
    // code, or kFailure when the call fails); with `result`, returned as is.
    HRESULT CallSo(const wchar_t* name, std::vector<VARIANT> args, long* rc, VARIANT* result = nullptr) {
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(so_ids_.IdOf(so_.Get(), name, &id))) {
            if (rc) *rc = kFailure;
            return DISP_E_MEMBERNOTFOUND;
        }
        Variant v;
        HRESULT hr = CallById(so_.Get(), id, DISPATCH_METHOD, std::move(args), result ? result : v.get());
        if (rc) {
            Variant n;
            *rc = (SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(n.get(), result ? result : v.get(), 0, VT_I4)))
                      ? n.ref().lVal
                      : kFailure;
        }
        return hr;
    }
    HRESULT CallSo(const wchar_t* name, std::vector<VARIANT> args, VARIANT* result) {
        return CallSo(name, std::move(args), nullptr, result);
    }

    long NumberFromSo(long pidx) {
        long n = 0;
        CallSo(L"GetPropertyNumber", {LongArg(pidx)}, &n);
        return n;
    }

    // ResultCode: the result of the last method (the control object's own
    // failures included) or property put; a put forwarded to the service
    // object leaves it to the service object's ResultCode.
    long ResultCode() { return own_result_ || !so_ ? result_code_ : NumberFromSo(kPidxResultCode); }
    void SetOwnResult(long rc) {
        result_code_ = rc;
        own_result_ = true;
    }

    long Fail(long rc, long open_result) {
        SetOwnResult(rc);
        open_result_ = open_result;
        return rc;
    }

    long Open(const std::wstring& device) {
        DispatchDuringSlowOpen();
        if (so_) return Fail(kIllegal, kOrAlreadyOpen);
        std::wstring prog_id;
        if (long missing = ReadProgId(spec_.class_name, device, &prog_id)) return Fail(kNoExist, missing);
        CLSID clsid{};
        if (FAILED(CLSIDFromProgID(prog_id.c_str(), &clsid))) return Fail(kNoExist, kOrRegProgId);
        ComPtr<IDispatch> so;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                    reinterpret_cast<void**>(so.GetAddressOf())))) {
            return Fail(kNoService, kOrCreate);
        }
        common::win32::DispIdCache ids(LOCALE_SYSTEM_DEFAULT);
        for (const wchar_t* name : spec_.so_methods) {
            DISPID id = DISPID_UNKNOWN;
            if (FAILED(ids.IdOf(so.Get(), name, &id))) return Fail(kNoService, kOrBadIf);
        }
        so_ = so;
        so_ids_ = std::move(ids);
        relay_.Accept(true);  // unfrozen
        BSTR cls = SysAllocString(spec_.class_name);
        BSTR dev = SysAllocStringLen(device.data(), static_cast<UINT>(device.size()));
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_DISPATCH;
        self.pdispVal = static_cast<IDispatch*>(this);
        long rc = kFailure;
        HRESULT hr = (cls && dev) ? CallSo(L"OpenService", {BstrArg(cls), BstrArg(dev), self}, &rc) : E_OUTOFMEMORY;
        SysFreeString(cls);
        SysFreeString(dev);
        if (FAILED(hr)) {
            DropServiceObject();
            return Fail(kNoService, kOrFailedOpen);
        }
        if (rc != kSuccess) {
            DropServiceObject();
            // A service object's own open result (401 and above) is passed on.
            return rc >= kOrsNoPort ? Fail(kNoService, rc) : Fail(rc, kOrFailedOpen);
        }
        so_version_ = NumberFromSo(kPidxServiceObjectVersion);
        if (so_version_ / 1000000 != 1) {
            CallSo(L"CloseService", {}, static_cast<long*>(nullptr));
            DropServiceObject();
            return Fail(kNoService, kOrBadVersion);
        }
        open_result_ = 0;
        SetOwnResult(kSuccess);
        return kSuccess;
    }

    // Close's result is the service object's CloseService result (111 when
    // the call fails as a COM call); the object is closed in every case.
    long Close() {
        if (!so_) return Fail(kClosed, open_result_);
        const long rc = CloseDevice();
        SetOwnResult(rc);
        return rc;
    }

    // Releases waiting event callers first, so that a service object that
    // stops its event thread in CloseService finds it free to end; in strict
    // mode they are released only by the thread's message loop, as with the
    // published control objects.
    long CloseDevice() {
        if (!so_) return kClosed;
        if (!StrictMode()) relay_.Accept(false);
        long rc = kFailure;
        CallSo(L"CloseService", {}, &rc);
        DropServiceObject();
        return rc;
    }

    void DropServiceObject() {
        relay_.Accept(false);
        so_.Reset();
        so_ids_.Clear();
        so_version_ = 0;
    }

    HRESULT FromServiceObject(DISPID id, const Args& args) {
        EventCall call;
        const UINT wanted = id == kIdSoError ? 4 : id == kIdSoDirectIo ? 3 : 1;
        if (args.count() != wanted) return DISP_E_BADPARAMCOUNT;
        for (UINT i = 0; i < wanted; ++i) {
            if (id == kIdSoDirectIo && i == 2) {
                if (!args.String(2, &call.text)) return DISP_E_TYPEMISMATCH;
            } else if (!args.Long(i, &call.n[i])) {
                return DISP_E_TYPEMISMATCH;
            }
        }
        switch (id) {
        case kIdSoData: call.id = kDispidDataEvent; break;
        case kIdSoDirectIo: call.id = kDispidDirectIoEvent; break;
        case kIdSoError: call.id = kDispidErrorEvent; break;
        case kIdSoOutputComplete: call.id = kDispidOutputCompleteEvent; break;
        default: call.id = kDispidStatusUpdateEvent; break;
        }
        relay_.Deliver(call);
        if (id == kIdSoError) StoreLong(args.Raw(3), call.n[3]);
        if (id == kIdSoDirectIo) {
            StoreLong(args.Raw(1), call.n[1]);
            StoreString(args.Raw(2), call.text);
        }
        return S_OK;
    }

    // Creating thread only: calls every connected sink.
    void Fire(EventCall& call) {
        std::vector<ComPtr<IDispatch>> sinks = point_.Sinks();
        AddRef();  // a handler may release the application's last reference
        for (auto& s : sinks) {
            std::vector<VARIANT> args;
            BSTR text = nullptr;
            switch (call.id) {
            case kDispidErrorEvent:
                args = {LongArg(call.n[0]), LongArg(call.n[1]), LongArg(call.n[2]), LongRefArg(&call.n[3])};
                break;
            case kDispidDirectIoEvent:
                text = SysAllocStringLen(call.text.data(), static_cast<UINT>(call.text.size()));
                args = {LongArg(call.n[0]), LongRefArg(&call.n[1]), BstrRefArg(&text)};
                break;
            default: args = {LongArg(call.n[0])}; break;
            }
            CallById(s.Get(), call.id, DISPATCH_METHOD, args, nullptr);
            if (call.id == kDispidDirectIoEvent) {
                call.text = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
                SysFreeString(text);
            }
        }
        Release();
    }

    const ClassSpec& spec_;
    LONG refs_ = 1;
    std::vector<NamedId> names_;
    EventPoint point_;
    ComPtr<IDispatch> so_;
    common::win32::DispIdCache so_ids_{LOCALE_SYSTEM_DEFAULT};
    long so_version_ = 0;
    long result_code_ = kClosed;
    bool own_result_ = true;  // false: ResultCode is the service object's
    long open_result_ = 0;
    EventRelay relay_;
};

}  // namespace

HRESULT CreateControlObject(const ClassSpec& spec, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* obj = new (std::nothrow) ControlObject(spec);
    if (!obj) return E_OUTOFMEMORY;
    HRESULT hr = obj->QueryInterface(iid, out);
    obj->Release();
    return hr;
}

}  // namespace opos_bench
