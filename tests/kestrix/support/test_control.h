// A control object's IDispatch as the service object sees it: answers
// "SOStatusUpdate" with DISPID 42 and records every lookup and call, from
// whatever thread they come.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <mutex>
#include <string>
#include <vector>

namespace kestrix::test {

class TestControl final : public IDispatch {
public:
    struct Lookup {
        GUID iid;
        UINT count;
        std::wstring name;
        LCID lcid;
    };
    struct Call {
        DISPID id;
        GUID iid;
        LCID lcid;
        WORD flags;
        UINT args;
        UINT named;
        VARTYPE vt;
        LONG value;
        bool result_given;
    };

    // The object lives on the stack of a test: counting only for show.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

    std::vector<Lookup> lookups();
    std::vector<Call> calls();
    // Waits up to `ms` for the n-th call (1-based).
    bool WaitForCalls(size_t n, DWORD ms);

private:
    std::mutex mutex_;
    std::vector<Lookup> lookups_;
    std::vector<Call> calls_;
};

}  // namespace kestrix::test
