#include "control_object.h"

#include <wrl/client.h>

#include <new>

#include "module.h"
#include "opos_numbers.h"

using Microsoft::WRL::ComPtr;

namespace opos_bench {
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
    std::wstring path = std::wstring(L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\") + class_name + L"\\" + device;
    HKEY key = nullptr;
    if (device.empty() || RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return kOrRegBadName;
    }
    wchar_t buf[512] = {};
    DWORD type = 0;
    DWORD size = sizeof(buf) - sizeof(wchar_t);  // room for our own terminator
    LONG rc = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return kOrRegProgId;
    buf[size / sizeof(wchar_t)] = L'\0';
    *prog_id = buf;
    while (!prog_id->empty() && prog_id->back() == L'\0') prog_id->pop_back();
    return prog_id->empty() ? kOrRegProgId : 0;
}

class ControlObject final : public IDispatch, public IConnectionPointContainer, public IConnectionPoint {
public:
    explicit ControlObject(const ClassSpec& spec)
        : spec_(spec), relay_([this](EventCall& call) { Fire(call); }) {
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
        for (IDispatch* s : sinks_)
            if (s) s->Release();
        UnlockModule();
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
        } else if (iid == IID_IConnectionPointContainer) {
            *out = static_cast<IConnectionPointContainer*>(this);
        } else if (iid == IID_IConnectionPoint) {
            *out = static_cast<IConnectionPoint*>(this);
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
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return LookupNames(names_, names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        try {
            return Dispatch(id, flags, params, result);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != spec_.events) return CONNECT_E_NOCONNECTION;
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }

    // IConnectionPoint. Sinks are used on the creating thread only.
    STDMETHODIMP GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = spec_.events;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override {
        if (!out) return E_POINTER;
        *out = static_cast<IConnectionPointContainer*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        *cookie = 0;
        IDispatch* d = nullptr;
        if (FAILED(sink->QueryInterface(spec_.events, reinterpret_cast<void**>(&d))) &&
            FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)))) {
            return CONNECT_E_CANNOTCONNECT;
        }
        for (size_t i = 0; i < sinks_.size(); ++i) {
            if (!sinks_[i]) {
                sinks_[i] = d;
                *cookie = static_cast<DWORD>(i + 1);
                return S_OK;
            }
        }
        try {
            sinks_.push_back(d);
        } catch (...) {
            d->Release();
            return CONNECT_E_ADVISELIMIT;
        }
        *cookie = static_cast<DWORD>(sinks_.size());
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
        IDispatch* d = sinks_[cookie - 1];
        sinks_[cookie - 1] = nullptr;
        d->Release();
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }

private:
    HRESULT Dispatch(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) {
        Args args(params);
        const bool get = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
        const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
        if (params && params->cNamedArgs > (put ? 1u : 0u)) return DISP_E_NONAMEDARGS;
        switch (id) {
        case kIdOpen: {
            std::wstring device;
            if (!args.String(0, &device)) return DISP_E_TYPEMISMATCH;
            SetResultLong(result, Open(device));
            return S_OK;
        }
        case kIdClose:
            SetResultLong(result, Close());
            return S_OK;
        case kIdSoData:
        case kIdSoDirectIo:
        case kIdSoError:
        case kIdSoOutputComplete:
        case kIdSoStatusUpdate:
            return FromServiceObject(id, args);
        case kIdSoProcessId:
            SetResultLong(result, static_cast<long>(GetCurrentProcessId()));
            return S_OK;
        case kIdFreezeEvents:
            if (put) {
                bool on = false;
                if (!args.Bool(0, &on)) return DISP_E_TYPEMISMATCH;
                SetFreezeEvents(on);
                return S_OK;
            }
            result_code_ = so_ ? kSuccess : kClosed;
            SetResultBool(result, relay_.frozen());
            return S_OK;
        default:
            break;
        }
        if (put) return put_special_or_prop(id, args);
        if (!get) return DISP_E_MEMBERNOTFOUND;
        switch (id) {
        case kIdResultCode:
            SetResultLong(result, ResultCode());
            return S_OK;
        case kIdState:
            SetResultLong(result, so_ ? NumberFromSo(kPidxState) : kStateClosed);
            return S_OK;
        case kIdOpenResult:
            SetResultLong(result, open_result_);
            return S_OK;
        case kIdServiceObjectVersion:
            SetResultLong(result, so_ ? so_version_ : 0);
            return S_OK;
        case kIdControlObjectVersion:
            SetResultLong(result, kControlObjectVersion);
            return S_OK;
        case kIdControlObjectDescription:
            return SetResultString(result, spec_.description);
        default:
            break;
        }
        if (id >= kIdMethodBase && id < kIdMethodBase + static_cast<DISPID>(spec_.methods.size()))
            return CallMethod(spec_.methods[id - kIdMethodBase], args, result);
        if (id >= kIdPropBase && id < kIdPropBase + static_cast<DISPID>(spec_.props.size()))
            return GetProp(spec_.props[id - kIdPropBase], result);
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT put_special_or_prop(DISPID id, const Args& args) {
        if (id < kIdPropBase || id >= kIdPropBase + static_cast<DISPID>(spec_.props.size()))
            return DISP_E_MEMBERNOTFOUND;
        const PropSpec& p = spec_.props[id - kIdPropBase];
        if (!p.writable) return DISP_E_MEMBERNOTFOUND;
        if (!so_) {
            result_code_ = kClosed;
            return S_OK;
        }
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

    HRESULT GetProp(const PropSpec& p, VARIANT* result) {
        if (!so_) {
            result_code_ = kClosed;
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

    HRESULT CallMethod(const MethodSpec& m, const Args& args, VARIANT* result) {
        if (args.count() != m.args.size()) return DISP_E_BADPARAMCOUNT;
        if (!so_) {
            result_code_ = kClosed;
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
        auto it = so_ids_.find(name);
        DISPID id = DISPID_UNKNOWN;
        if (it != so_ids_.end()) {
            id = it->second;
        } else {
            LPOLESTR n = const_cast<LPOLESTR>(name);
            if (FAILED(so_->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_SYSTEM_DEFAULT, &id))) {
                if (rc) *rc = kFailure;
                return DISP_E_MEMBERNOTFOUND;
            }
            so_ids_[name] = id;
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

    long ResultCode() { return so_ ? NumberFromSo(kPidxResultCode) : result_code_; }

    long Fail(long rc, long open_result) {
        result_code_ = rc;
        open_result_ = open_result;
        return rc;
    }

    long Open(const std::wstring& device) {
        if (so_) return Fail(kIllegal, kOrAlreadyOpen);
        std::wstring prog_id;
        if (long missing = ReadProgId(spec_.class_name, device, &prog_id)) return Fail(kNoExist, missing);
        CLSID clsid{};
        ComPtr<IDispatch> so;
        if (FAILED(CLSIDFromProgID(prog_id.c_str(), &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                    reinterpret_cast<void**>(so.GetAddressOf())))) {
            return Fail(kNoService, kOrCreate);
        }
        std::map<std::wstring, DISPID> ids;
        for (const wchar_t* name : spec_.so_methods) {
            LPOLESTR n = const_cast<LPOLESTR>(name);
            DISPID id = DISPID_UNKNOWN;
            if (FAILED(so->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_SYSTEM_DEFAULT, &id)))
                return Fail(kNoService, kOrBadIf);
            ids[name] = id;
        }
        so_ = so;
        so_ids_ = std::move(ids);
        relay_.Accept(true);
        BSTR cls = SysAllocString(spec_.class_name);
        BSTR dev = SysAllocStringLen(device.data(), static_cast<UINT>(device.size()));
        long rc = kFailure;
        HRESULT hr = (cls && dev) ? CallSo(L"OpenService", {BstrArg(cls), BstrArg(dev),
                                                           [this] {
                                                               VARIANT v;
                                                               VariantInit(&v);
                                                               v.vt = VT_DISPATCH;
                                                               v.pdispVal = static_cast<IDispatch*>(this);
                                                               return v;
                                                           }()},
                                             &rc)
                                  : E_OUTOFMEMORY;
        SysFreeString(cls);
        SysFreeString(dev);
        if (FAILED(hr) || rc != kSuccess) {
            DropServiceObject();
            return Fail(FAILED(hr) ? kNoService : rc, kOrFailedOpen);
        }
        so_version_ = NumberFromSo(kPidxServiceObjectVersion);
        if (so_version_ / 1000000 != 1) {
            CallSo(L"CloseService", {}, static_cast<long*>(nullptr));
            DropServiceObject();
            return Fail(kNoService, kOrBadVersion);
        }
        if (relay_.frozen()) CallSo(L"COFreezeEvents", {BoolArg(true)}, static_cast<long*>(nullptr));
        open_result_ = 0;
        result_code_ = kSuccess;
        return kSuccess;
    }

    long Close() {
        if (!so_) return Fail(kClosed, open_result_);
        CloseDevice();
        result_code_ = kSuccess;
        return kSuccess;
    }

    // Releases waiting event callers first, so that a service object that
    // stops its event thread in CloseService finds it free to end.
    void CloseDevice() {
        if (!so_) return;
        relay_.Accept(false);
        CallSo(L"CloseService", {}, static_cast<long*>(nullptr));
        DropServiceObject();
    }

    void DropServiceObject() {
        relay_.Accept(false);
        so_.Reset();
        so_ids_.clear();
        so_version_ = 0;
    }

    void SetFreezeEvents(bool on) {
        if (so_) {
            long rc = 0;
            CallSo(L"COFreezeEvents", {BoolArg(on)}, &rc);
        } else {
            result_code_ = kSuccess;
        }
        relay_.Freeze(on);
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
        std::vector<ComPtr<IDispatch>> sinks;
        for (IDispatch* s : sinks_)
            if (s) sinks.emplace_back(s);
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
            default:
                args = {LongArg(call.n[0])};
                break;
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
    std::vector<IDispatch*> sinks_;   // owned references; empty slots are null
    ComPtr<IDispatch> so_;
    std::map<std::wstring, DISPID> so_ids_;
    long so_version_ = 0;
    long result_code_ = kClosed;
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
