#include "test_control.h"

namespace kestrix::test {

STDMETHODIMP TestControl::QueryInterface(REFIID riid, void** ppv) {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *ppv = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP TestControl::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

STDMETHODIMP TestControl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
    std::lock_guard<std::mutex> lock(mutex_);
    lookups_.push_back({riid, count, count > 0 ? names[0] : L"", lcid});
    if (count == 1 && lstrcmpW(names[0], L"SOStatusUpdate") == 0) {
        ids[0] = 42;
        return S_OK;
    }
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP TestControl::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO*, UINT*) {
    std::lock_guard<std::mutex> lock(mutex_);
    Call c{id, riid, lcid, flags, params->cArgs, params->cNamedArgs, VT_EMPTY, -1, result != nullptr};
    if (params->cArgs > 0) {
        c.vt = params->rgvarg[0].vt;
        c.value = params->rgvarg[0].lVal;
    }
    calls_.push_back(c);
    return S_OK;
}

std::vector<TestControl::Lookup> TestControl::lookups() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lookups_;
}

std::vector<TestControl::Call> TestControl::calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

bool TestControl::WaitForCalls(size_t n, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        if (calls().size() >= n) return true;
        Sleep(5);
    }
    return false;
}

}  // namespace kestrix::test
