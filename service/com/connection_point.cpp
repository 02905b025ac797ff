#include "connection_point.h"

#include "Kestrix.h"
#include "common/win32/com_enumerator.h"
#include "kestrix_module.h"

namespace kestrix::com {

CProxy_ICashDrawer_SOEvents::~CProxy_ICashDrawer_SOEvents() {
    for (IUnknown* sink : slots_) {
        if (sink != nullptr) sink->Release();
    }
}

STDMETHODIMP CProxy_ICashDrawer_SOEvents::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CProxy_ICashDrawer_SOEvents::AddRef() { return container_->AddRef(); }
STDMETHODIMP_(ULONG) CProxy_ICashDrawer_SOEvents::Release() { return container_->Release(); }

STDMETHODIMP CProxy_ICashDrawer_SOEvents::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = DIID__ICashDrawer_SOEvents;
    return S_OK;
}

STDMETHODIMP CProxy_ICashDrawer_SOEvents::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    container_->AddRef();
    *container = container_;
    return S_OK;
}

bool CProxy_ICashDrawer_SOEvents::FreeSlot(size_t* index) noexcept {
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i] == nullptr) {
            *index = i;
            return true;
        }
    }
    const size_t used = slots_.size();
    // Cookies are DWORDs counted from 1: the array never outgrows them.
    if (used >= 0x7FFFFFFFu) return false;
    try {
        slots_.resize(used == 0 ? 4 : used * 2, nullptr);
    } catch (...) {
        return false;
    }
    *index = used;
    return true;
}

STDMETHODIMP CProxy_ICashDrawer_SOEvents::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie != nullptr) *cookie = 0;
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    IUnknown* events = nullptr;
    const HRESULT hr = sink->QueryInterface(DIID__ICashDrawer_SOEvents, reinterpret_cast<void**>(&events));
    if (hr == E_NOINTERFACE) return CONNECT_E_CANNOTCONNECT;
    if (FAILED(hr)) return hr;
    if (events == nullptr) return CONNECT_E_CANNOTCONNECT;
    size_t slot = 0;
    if (!FreeSlot(&slot)) {
        events->Release();
        return CONNECT_E_ADVISELIMIT;
    }
    slots_[slot] = events;
    *cookie = static_cast<DWORD>(slot + 1);
    return S_OK;
}

STDMETHODIMP CProxy_ICashDrawer_SOEvents::Unadvise(DWORD cookie) {
    if (cookie == 0 || cookie > slots_.size() || slots_[cookie - 1] == nullptr) return CONNECT_E_NOCONNECTION;
    IUnknown* const sink = slots_[cookie - 1];
    slots_[cookie - 1] = nullptr;
    sink->Release();
    return S_OK;
}

STDMETHODIMP CProxy_ICashDrawer_SOEvents::EnumConnections(IEnumConnections** connections) {
    if (connections == nullptr) return E_POINTER;
    *connections = nullptr;
    try {
        std::vector<CONNECTDATA> occupied;
        for (size_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i] != nullptr) occupied.push_back({slots_[i], static_cast<DWORD>(i + 1)});
        }
        return common::win32::ConnectionEnumerator<ModuleLock>::Create(occupied, 0, connections);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace kestrix::com
