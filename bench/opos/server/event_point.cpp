#include "event_point.h"

#include "common/win32/com_enumerator.h"
#include "module.h"

namespace opos_bench {

EventPoint::~EventPoint() {
    for (IDispatch* s : sinks_)
        if (s) s->Release();
}

STDMETHODIMP EventPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP EventPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = events_;
    return S_OK;
}

STDMETHODIMP EventPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    container_->AddRef();
    *out = container_;
    return S_OK;
}

STDMETHODIMP EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie) *cookie = 0;
    if (!sink || !cookie) return E_POINTER;
    IDispatch* d = nullptr;
    const HRESULT hr = sink->QueryInterface(events_, reinterpret_cast<void**>(&d));
    if (hr == E_NOINTERFACE || (SUCCEEDED(hr) && !d)) return CONNECT_E_CANNOTCONNECT;
    if (FAILED(hr)) return hr;
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

STDMETHODIMP EventPoint::Unadvise(DWORD cookie) {
    if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
    IDispatch* d = sinks_[cookie - 1];
    sinks_[cookie - 1] = nullptr;
    d->Release();
    return S_OK;
}

STDMETHODIMP EventPoint::EnumConnections(IEnumConnections** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        std::vector<CONNECTDATA> connected;
        for (size_t i = 0; i < sinks_.size(); ++i)
            if (sinks_[i]) connected.push_back({sinks_[i], static_cast<DWORD>(i + 1)});
        return common::win32::ConnectionEnumerator<ModuleLock>::Create(connected, 0, out);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

std::vector<Microsoft::WRL::ComPtr<IDispatch>> EventPoint::Sinks() const {
    std::vector<Microsoft::WRL::ComPtr<IDispatch>> now;
    for (IDispatch* s : sinks_)
        if (s) now.emplace_back(s);
    return now;
}

}  // namespace opos_bench
