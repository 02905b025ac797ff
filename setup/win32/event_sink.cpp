#include "event_sink.h"

#include <new>

#include "common/opos/opos_numbers.h"

namespace trellup::win32 {
namespace {

// Argument `index` (in the event's own order) of `params` as a 32-bit
// integer; false when it is missing or does not convert.
bool LongArg(const DISPPARAMS* params, UINT index, int32_t* out) {
    if (params == nullptr || index >= params->cArgs) return false;
    VARIANT value, converted;
    VariantInit(&value);
    VariantInit(&converted);
    // A by-reference argument is read through its reference.
    HRESULT hr = VariantCopyInd(&value, &params->rgvarg[params->cArgs - 1 - index]);
    if (SUCCEEDED(hr)) hr = VariantChangeType(&converted, &value, 0, VT_I4);
    VariantClear(&value);
    if (FAILED(hr)) return false;
    *out = converted.lVal;
    return true;
}

}  // namespace

Microsoft::WRL::ComPtr<EventSink> EventSink::Create(REFIID events_iid, IOposEvents* events, IOposControl* from) {
    Microsoft::WRL::ComPtr<EventSink> sink;
    sink.Attach(new (std::nothrow) EventSink(events_iid, events, from));
    return sink;
}

STDMETHODIMP EventSink::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == events_iid_) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) EventSink::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) EventSink::Release() {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) {
    if (result != nullptr) VariantInit(result);
    // The handler may release the last reference to the control object,
    // which releases this sink: keep it alive until the handler returns.
    Microsoft::WRL::ComPtr<EventSink> self(this);
    try {
        if (events_ == nullptr || from_ == nullptr) return S_OK;
        int32_t a = 0, b = 0, c = 0, response = 0;
        switch (id) {
        case common::opos::kDispidDataEvent:
            if (LongArg(params, 0, &a)) events_->OnDataEvent(*from_, a);
            break;
        case common::opos::kDispidStatusUpdateEvent:
            if (LongArg(params, 0, &a)) events_->OnStatusUpdateEvent(*from_, a);
            break;
        case common::opos::kDispidErrorEvent: {
            if (!LongArg(params, 0, &a) || !LongArg(params, 1, &b) || !LongArg(params, 2, &c)) break;
            VARIANT* by_ref = params->cArgs > 3 ? &params->rgvarg[params->cArgs - 4] : nullptr;
            LongArg(params, 3, &response);
            const int32_t before = response;
            events_->OnErrorEvent(*from_, a, b, c, &response);
            // Only a changed answer is written back, into the caller's own
            // variable.
            if (response != before && by_ref != nullptr && by_ref->vt == (VT_I4 | VT_BYREF) &&
                by_ref->plVal != nullptr) {
                *by_ref->plVal = response;
            }
            break;
        }
        default: break;
        }
    } catch (...) {
        // No exception leaves an event: the control object would not expect it.
    }
    return S_OK;
}

}  // namespace trellup::win32
