#include "class_factory.h"

#include <new>

#include "cash_drawer_so.h"
#include "kestrix_module.h"

namespace kestrix::com {

IClassFactory* CCashDrawer_SOFactory::Create() noexcept { return new (std::nothrow) CCashDrawer_SOFactory(); }

STDMETHODIMP CCashDrawer_SOFactory::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CCashDrawer_SOFactory::AddRef() {
    const LONG n = InterlockedIncrement(&refs_);
    if (n == 2) Module().Lock();
    return static_cast<ULONG>(n);
}

STDMETHODIMP_(ULONG) CCashDrawer_SOFactory::Release() {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 1) Module().Unlock();
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP CCashDrawer_SOFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return CCashDrawer_SO::CreateInstance(outer, riid, ppv);
}

STDMETHODIMP CCashDrawer_SOFactory::LockServer(BOOL lock) {
    if (lock) {
        Module().Lock();
    } else {
        Module().Unlock();
    }
    return S_OK;
}

}  // namespace kestrix::com
