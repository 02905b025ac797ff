// package-probe: what the package test checks from inside a Wine prefix
// where the package is installed.
//
//   package-probe open DEVICE
//     Creates the cash drawer control object by its ProgID, opens DEVICE and
//     prints "Open <result> OpenResult <n> module <path of the loaded
//     Kestrix.dll>". Exit 0 when Open succeeded and Kestrix.dll was loaded.
//   package-probe start EXE
//     Starts the Trellup.exe at EXE and prints "window <caption>" once its
//     main window shows; closes it again. Exit 0 when the window showed and
//     the program ended by itself.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "trellup_driver.h"

namespace {

class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};

class DispatchRef {
public:
    ~DispatchRef() {
        if (p_ != nullptr) p_->Release();
    }
    IDispatch** put() { return &p_; }
    IDispatch* get() const { return p_; }

private:
    IDispatch* p_ = nullptr;
};

// Calls a method or reads a property by name; `arg` is the one string
// argument of a method (null for none). The result goes into `*out`
// (VT_I4) only on success.
HRESULT CallLong(IDispatch* d, const wchar_t* name, WORD kind, const wchar_t* arg, long* out) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    VARIANT argument;
    VariantInit(&argument);
    DISPPARAMS params{};
    if (arg != nullptr) {
        argument.vt = VT_BSTR;
        argument.bstrVal = SysAllocString(arg);
        params.rgvarg = &argument;
        params.cArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, &result, nullptr, nullptr);
    VariantClear(&argument);
    if (SUCCEEDED(hr)) hr = VariantChangeType(&result, &result, 0, VT_I4);
    if (SUCCEEDED(hr)) *out = result.lVal;
    VariantClear(&result);
    return hr;
}

std::wstring LoadedKestrix() {
    HMODULE m = GetModuleHandleW(L"Kestrix.dll");
    if (m == nullptr) return L"";
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(m, path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

int Open(const wchar_t* device) {
    ComScope com;
    if (FAILED(com.result())) return 1;
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"OPOS.CashDrawer", &clsid);
    DispatchRef control;
    if (SUCCEEDED(hr)) {
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(control.put()));
    }
    if (FAILED(hr)) {
        std::printf("control object not created (0x%08lX)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    long open = -1, open_result = -1, closed = -1;
    const HRESULT call = CallLong(control.get(), L"Open", DISPATCH_METHOD, device, &open);
    CallLong(control.get(), L"OpenResult", DISPATCH_PROPERTYGET, nullptr, &open_result);
    const std::wstring module = LoadedKestrix();
    std::printf("Open %ld OpenResult %ld module %ls\n", open, open_result, module.c_str());
    CallLong(control.get(), L"Close", DISPATCH_METHOD, nullptr, &closed);
    return SUCCEEDED(call) && open == 0 && !module.empty() ? 0 : 1;
}

int Start(const wchar_t* exe) {
    trellup::test::Trellup app;
    if (!app.Start(exe)) {
        std::printf("no window\n");
        return 1;
    }
    wchar_t caption[128] = {};
    GetWindowTextW(app.main(), caption, 128);
    std::printf("window %ls\n", caption);
    return app.Close() ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"open") return Open(argv[2]);
    if (argc == 3 && std::wstring(argv[1]) == L"start") return Start(argv[2]);
    std::fprintf(stderr, "usage: package-probe open DEVICE | start EXE\n");
    return 2;
}
