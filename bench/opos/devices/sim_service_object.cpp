#include "common/opos/device_numbers.h"
#include "common/opos/opos_numbers.h"
#include "sim_service_object.h"

#include <new>

#include "module.h"

namespace opos_bench {

using namespace common::opos;

namespace {

enum : DISPID {
    kCoFreezeEvents = 1,
    kGetPropertyNumber,
    kSetPropertyNumber,
    kGetPropertyString,
    kSetPropertyString,
    kOpenService,
    kCheckHealth,
    kClaimDevice,
    kCloseService,
    kDirectIo,
    kReleaseDevice,
};

const std::vector<NamedId>& CommonNames() {
    static const std::vector<NamedId> names = {{L"COFreezeEvents", kCoFreezeEvents},
                                               {L"GetPropertyNumber", kGetPropertyNumber},
                                               {L"SetPropertyNumber", kSetPropertyNumber},
                                               {L"GetPropertyString", kGetPropertyString},
                                               {L"SetPropertyString", kSetPropertyString},
                                               {L"OpenService", kOpenService},
                                               {L"CheckHealth", kCheckHealth},
                                               {L"ClaimDevice", kClaimDevice},
                                               {L"CloseService", kCloseService},
                                               {L"DirectIO", kDirectIo},
                                               {L"ReleaseDevice", kReleaseDevice}};
    return names;
}

}  // namespace

void WaitDispatching(HANDLE h) {
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

HRESULT Hand(SimServiceObject* obj, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!obj) return E_OUTOFMEMORY;
    HRESULT hr = obj->QueryInterface(iid, out);
    obj->Release();
    return hr;
}

SimServiceObject::SimServiceObject(std::wstring description, long version)
    : description_(std::move(description)), version_(version) {
    LockModule();
}

SimServiceObject::~SimServiceObject() { UnlockModule(); }

STDMETHODIMP SimServiceObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}
STDMETHODIMP_(ULONG) SimServiceObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
STDMETHODIMP_(ULONG) SimServiceObject::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}
STDMETHODIMP SimServiceObject::GetTypeInfoCount(UINT* n) {
    if (!n) return E_POINTER;
    *n = 0;
    return S_OK;
}
STDMETHODIMP SimServiceObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP SimServiceObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    try {
        std::vector<NamedId> all = CommonNames();
        std::vector<NamedId> own = ClassNames();
        all.insert(all.end(), own.begin(), own.end());
        return LookupNames(all, names, count, ids);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP SimServiceObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                      UINT*) {
    // A method that waits while dispatching messages may see its control
    // object (and with it this object's last reference) released meanwhile.
    AddRef();
    HRESULT hr = E_OUTOFMEMORY;
    try {
        hr = Call(id, Args(params), result);
    } catch (...) {
    }
    Release();
    return hr;
}

long SimServiceObject::Ready() const {
    if (!opened_) return kClosed;
    if (!claimed_) return kNotClaimed;
    if (!enabled_) return kDisabled;
    return kSuccess;
}

void SimServiceObject::CallControl(const wchar_t* name, std::vector<long> args, long* ref) {
    IDispatch* control = control_;
    if (!control || !opened_) return;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(control->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_SYSTEM_DEFAULT, &id))) return;
    std::vector<VARIANT> v;
    for (long a : args) v.push_back(LongArg(a));
    if (ref) v.push_back(LongRefArg(ref));
    Variant r;
    CallById(control, id, DISPATCH_METHOD, v, r.get());
}

HRESULT SimServiceObject::Call(DISPID id, const Args& args, VARIANT* result) {
    long rc = kSuccess;
    long n = 0;
    std::wstring s;
    switch (id) {
    case kCoFreezeEvents: {
        bool on = false;
        if (!args.Bool(0, &on)) return DISP_E_TYPEMISMATCH;
        frozen_ = on;
        break;
    }
    case kGetPropertyNumber: {
        if (!args.Long(0, &n)) return DISP_E_TYPEMISMATCH;
        long v = 0;
        switch (n) {
        case kPidxClaimed: v = claimed_; break;
        case kPidxDeviceEnabled: v = enabled_; break;
        case kPidxFreezeEvents: v = frozen_; break;
        case kPidxResultCode: v = result_code_; break;
        case kPidxServiceObjectVersion: v = version_; break;
        case kPidxState: v = opened_ ? kStateIdle : kStateClosed; break;
        case kPidxPowerState: v = 2001; break;
        default:
            if (!GetNumber(n, &v)) v = 0;
            break;
        }
        SetResultLong(result, v);
        return S_OK;
    }
    case kSetPropertyNumber: {
        long v = 0;
        if (!args.Long(0, &n) || !args.Long(1, &v)) return DISP_E_TYPEMISMATCH;
        if (n == kPidxDeviceEnabled) {
            if (!opened_) {
                result_code_ = kClosed;
            } else if (!claimed_) {
                result_code_ = kNotClaimed;
            } else {
                enabled_ = v != 0;
                result_code_ = kSuccess;
            }
        } else {
            long r = kIllegal;
            SetNumber(n, v, &r);
            result_code_ = r;
        }
        return S_OK;
    }
    case kGetPropertyString: {
        if (!args.Long(0, &n)) return DISP_E_TYPEMISMATCH;
        switch (n) {
        case kPidxCheckHealthText: s = health_text_; break;
        case kPidxDeviceDescription: s = description_ + L" (" + device_name_ + L")"; break;
        case kPidxDeviceName: s = device_name_; break;
        case kPidxServiceObjectDescription: s = description_; break;
        default: GetString(n, &s); break;
        }
        return SetResultString(result, s);
    }
    case kSetPropertyString: result_code_ = kIllegal; return S_OK;
    case kOpenService: {
        VARIANT* d = args.Raw(2);
        if (!args.String(1, &device_name_) || !d) return DISP_E_TYPEMISMATCH;
        if (opened_) {
            rc = kIllegal;
            break;
        }
        VARIANT* plain = (d->vt == (VT_BYREF | VT_VARIANT)) ? d->pvarVal : d;
        control_ = plain->vt == VT_DISPATCH ? plain->pdispVal : nullptr;
        opened_ = true;
        rc = OnOpen();
        if (rc != kSuccess) {
            opened_ = false;
            control_ = nullptr;
        }
        break;
    }
    case kCloseService:
        if (opened_) OnClose();
        opened_ = false;
        claimed_ = false;
        enabled_ = false;
        control_ = nullptr;
        break;
    case kClaimDevice:
        if (!opened_) {
            rc = kClosed;
        } else {
            claimed_ = true;
        }
        break;
    case kReleaseDevice:
        if (!claimed_) {
            rc = kIllegal;
        } else {
            claimed_ = false;
            enabled_ = false;
        }
        break;
    case kCheckHealth:
        if (!args.Long(0, &n)) return DISP_E_TYPEMISMATCH;
        if (Ready() != kSuccess) {
            rc = Ready();
        } else if (n == 1) {
            health_text_ = L"Internal HCheck: Successful";
        } else if (n == 2) {
            health_text_ = L"External HCheck: Successful";
        } else if (n == 3) {
            health_text_ = L"Interactive HCheck: Successful";
        } else {
            rc = kIllegal;
        }
        break;
    case kDirectIo: {
        long command = 0;
        if (!args.Long(0, &command) || !args.Long(1, &n) || !args.String(2, &s)) return DISP_E_TYPEMISMATCH;
        rc = opened_ ? OnDirectIo(command, &n, &s) : kClosed;
        StoreLong(args.Raw(1), n);
        StoreString(args.Raw(2), s);
        break;
    }
    default:
        if (id < kClassBase) return DISP_E_MEMBERNOTFOUND;
        rc = ClassMethod(id, args);
        break;
    }
    result_code_ = rc;
    SetResultLong(result, rc);
    return S_OK;
}

}  // namespace opos_bench
