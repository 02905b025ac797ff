#include "cash_drawer_so.h"

#include <oleauto.h>

#include <new>
#include <string>

#include "common/win32/com_enumerator.h"
#include "kestrix_module.h"
#include "platform_win32.h"

namespace kestrix::com {

namespace {

constexpr int32_t kStateIndex = 9;
constexpr int32_t kStateClosed = 1;
constexpr LONG kDestroying = 0x3FFFFFFF;

// Runs one method body; an exception becomes an HRESULT at this boundary.
template <typename F>
HRESULT Boundary(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

const char16_t* Chars(BSTR s) { return s != nullptr ? reinterpret_cast<const char16_t*>(s) : u""; }

}  // namespace

CCashDrawer_SO::CCashDrawer_SO(IUnknown* outer)
    : controlling_(outer != nullptr ? outer : &inner_),
      core_(std::make_unique<CCashDrawer_SOCore>(kestrix::win32::SystemPlatform())) {}

CCashDrawer_SO::~CCashDrawer_SO() {
    // Released from inside the status event, on the monitor thread, or with
    // a monitor that a stop let go still inside the event call: that thread
    // still has to return through this library's code after the object is
    // gone, so the library must never be unloaded under it.
    if (core_->OnMonitorThread()) Module().PinLoaded();
    core_->StopStatusThread();
    if (core_->LetGoMonitorRunning()) Module().PinLoaded();
}

CCashDrawer_SO::ModuleLockHold::ModuleLockHold() { Module().Lock(); }
CCashDrawer_SO::ModuleLockHold::~ModuleLockHold() { Module().Unlock(); }

HRESULT CCashDrawer_SO::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    *ppv = nullptr;
    CCashDrawer_SO* object = nullptr;
    try {
        object = new CCashDrawer_SO(outer);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    object->inner_.AddRef();
    const HRESULT hr = object->inner_.QueryInterface(riid, ppv);
    object->inner_.Release();
    return hr;
}

// --- IUnknown ---------------------------------------------------------------

STDMETHODIMP CCashDrawer_SO::Inner::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_ICashDrawer_SO) || IsEqualIID(riid, IID_IDispatch)) {
        *ppv = static_cast<ICashDrawer_SO*>(owner_);
    } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
        *ppv = static_cast<ISupportErrorInfo*>(owner_);
    } else if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
        *ppv = static_cast<IConnectionPointContainer*>(owner_);
    } else if (IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<IUnknown*>(this);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*ppv)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CCashDrawer_SO::Inner::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) CCashDrawer_SO::Inner::Release() {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) {
        // Destruction stops the monitor while running the message loop; a
        // handler there may take and drop references again. Keep the count
        // far from zero so that it cannot end the object a second time.
        InterlockedExchange(&refs_, kDestroying);
        delete owner_;
    }
    return static_cast<ULONG>(n);
}

STDMETHODIMP CCashDrawer_SO::QueryInterface(REFIID riid, void** ppv) { return controlling_->QueryInterface(riid, ppv); }
STDMETHODIMP_(ULONG) CCashDrawer_SO::AddRef() { return controlling_->AddRef(); }
STDMETHODIMP_(ULONG) CCashDrawer_SO::Release() { return controlling_->Release(); }

// --- IDispatch --------------------------------------------------------------

STDMETHODIMP CCashDrawer_SO::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CCashDrawer_SO::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* const ti = Module().CashDrawerTypeInfo();
    if (ti == nullptr) return TYPE_E_CANTLOADLIBRARY;
    ti->AddRef();
    *info = ti;
    return S_OK;
}

STDMETHODIMP CCashDrawer_SO::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* const ti = Module().CashDrawerTypeInfo();
    if (ti == nullptr) return TYPE_E_CANTLOADLIBRARY;
    return DispGetIDsOfNames(ti, names, count, ids);
}

STDMETHODIMP CCashDrawer_SO::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO* excep, UINT* argErr) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* const ti = Module().CashDrawerTypeInfo();
    if (ti == nullptr) return TYPE_E_CANTLOADLIBRARY;
    return DispInvoke(static_cast<ICashDrawer_SO*>(this), ti, id, flags, params, result, excep, argErr);
}

// --- ICashDrawer_SO ---------------------------------------------------------

STDMETHODIMP CCashDrawer_SO::COFreezeEvents(VARIANT_BOOL Freeze, LONG* pRC) {
    if (pRC == nullptr) return E_POINTER;
    return Boundary([&] {
        *pRC = core_->COFreezeEvents(Freeze);
        return S_OK;
    });
}

STDMETHODIMP CCashDrawer_SO::GetPropertyNumber(LONG PropIndex, LONG* pNumber) {
    if (pNumber == nullptr) return E_POINTER;
    return Boundary([&] {
        int32_t value = *pNumber;
        const PropStatus status = core_->GetPropertyNumber(PropIndex, &value);
        *pNumber = value;
        return status == PropStatus::Ok ? S_OK : S_FALSE;
    });
}

STDMETHODIMP CCashDrawer_SO::SetPropertyNumber(LONG PropIndex, LONG Number) {
    return Boundary([&] { return core_->SetPropertyNumber(PropIndex, Number) == PropStatus::Ok ? S_OK : S_FALSE; });
}

STDMETHODIMP CCashDrawer_SO::GetPropertyString(LONG PropIndex, BSTR* pString) {
    if (pString == nullptr) return E_POINTER;
    *pString = nullptr;
    return Boundary([&] {
        std::u16string text;
        if (core_->GetPropertyString(PropIndex, &text) != PropStatus::Ok) return S_FALSE;
        BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
        if (copy == nullptr) return E_OUTOFMEMORY;
        *pString = copy;
        return S_OK;
    });
}

STDMETHODIMP CCashDrawer_SO::SetPropertyString(LONG PropIndex, BSTR) {
    return Boundary([&] {
        core_->SetPropertyString(PropIndex);
        return S_OK;
    });
}

STDMETHODIMP CCashDrawer_SO::OpenService(BSTR, BSTR DeviceName, IDispatch* pDispatch, LONG* pRC) {
    if (pRC == nullptr) return E_POINTER;
    KeepAlive alive(controlling_);
    return Boundary([&] {
        // An open object keeps its control object (the monitor is using it).
        // A closed one first stops a monitor left from after the close, so
        // that the new monitor calls the control object given now.
        int32_t state = 0;
        core_->GetPropertyNumber(kStateIndex, &state);
        if (state == kStateClosed) core_->StopStatusThread();
        if (state == kStateClosed && !core_->HasMonitorThread()) control_.Attach(pDispatch);
        *pRC = core_->OpenService(Chars(DeviceName), &control_);
        return S_OK;
    });
}

STDMETHODIMP CCashDrawer_SO::CheckHealth(LONG Level, LONG* pRC) {
    if (pRC == nullptr) return E_POINTER;
    KeepAlive alive(controlling_);
    return Boundary([&] {
        int32_t rc = 0;
        core_->CheckHealth(Level, &rc);  // declined: rc is the unchanged ResultCode
        *pRC = rc;
        return S_OK;
    });
}

STDMETHODIMP CCashDrawer_SO::ClaimDevice(LONG Timeout, LONG* pRC) {
    if (pRC == nullptr) return E_POINTER;
    return Boundary([&] {
        *pRC = core_->ClaimDevice(Timeout);
        return S_OK;
    });
}

STDMETHODIMP CCashDrawer_SO::CloseService(LONG* pRC) {
    if (pRC == nullptr) return E_POINTER;
    KeepAlive alive(controlling_);
    return Boundary([&] {
        *pRC = core_->CloseService();
        return S_OK;
    });
}

STDMETHODIMP CCashDrawer_SO::DirectIO(LONG Command, LONG*, BSTR*, LONG* pRC) {
    if (pRC == nullptr) return E_POINTER;
    return Boundary([&] {
        *pRC = core_->DirectIO(Command);
        return S_OK;
    });
}

STDMETHODIMP CCashDrawer_SO::ReleaseDevice(LONG* pRC) {
    if (pRC == nullptr) return E_POINTER;
    return Boundary([&] {
        *pRC = core_->ReleaseDevice();
        return S_OK;
    });
}

STDMETHODIMP CCashDrawer_SO::OpenDrawer(LONG* pRC) {
    if (pRC == nullptr) return E_POINTER;
    KeepAlive alive(controlling_);
    return Boundary([&] {
        *pRC = core_->OpenDrawer();
        return S_OK;
    });
}

STDMETHODIMP CCashDrawer_SO::WaitForDrawerClose(LONG BeepTimeout, LONG BeepFrequency, LONG BeepDuration, LONG BeepDelay,
                                                LONG* pRC) {
    if (pRC == nullptr) return E_POINTER;
    return Boundary([&] {
        *pRC = core_->WaitForDrawerClose(BeepTimeout, BeepFrequency, BeepDuration, BeepDelay);
        return S_OK;
    });
}

// --- ISupportErrorInfo, IConnectionPointContainer ---------------------------

STDMETHODIMP CCashDrawer_SO::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, IID_ICashDrawer_SO) ? S_OK : S_FALSE;
}

STDMETHODIMP CCashDrawer_SO::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points == nullptr) return E_POINTER;
    return Boundary([&] {
        const std::vector<IConnectionPoint*> one{&events_};
        return common::win32::ConnectionPointEnumerator<ModuleLock>::Create(one, 0, points);
    });
}

STDMETHODIMP CCashDrawer_SO::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(riid, DIID__ICashDrawer_SOEvents)) return CONNECT_E_NOCONNECTION;
    events_.AddRef();
    *point = &events_;
    return S_OK;
}

}  // namespace kestrix::com
