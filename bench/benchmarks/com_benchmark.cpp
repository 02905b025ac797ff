// Cost of the COM face of Kestrix.dll, loaded from this program's folder
// (no registration needed): GetPropertyNumber through the vtable and through
// IDispatch::Invoke, and creating and releasing a service object.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "Kestrix.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Five rounds of `n` calls; prints the median round and a "BENCH|" line for
// scripts/bench.sh with the figure `reference` stands for. Returns the median.
template <typename F>
double Measure(const char* key, const char* what, int n, F&& body, double reference = 0, const char* basis = "") {
    body();  // warm up
    double rounds[5];
    for (double& r : rounds) {
        const double t0 = Now();
        for (int i = 0; i < n; ++i) body();
        r = (Now() - t0) * 1e6 / n;
    }
    std::sort(std::begin(rounds), std::end(rounds));
    std::printf("%-44s %10.3f us/call  (5 x %d calls)\n", what, rounds[2], n);
    std::printf("BENCH|%s|%s|%.4f|%.4f|us|%.4f|%s\n", key, what, rounds[2], rounds[4], reference, basis);
    return rounds[2];
}

}  // namespace

int main() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll(path, n);
    dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"Kestrix.dll";
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    HMODULE module = LoadLibraryW(dll.c_str());
    if (module == nullptr) {
        std::printf("cannot load %ls\n", dll.c_str());
        return 1;
    }
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (get == nullptr || FAILED(get(CLSID_CashDrawer_SO, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        return 1;
    }
    ICashDrawer_SO* so = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, IID_ICashDrawer_SO, reinterpret_cast<void**>(&so)))) return 1;

    std::printf("Kestrix COM benchmark (%s)\n", sizeof(void*) == 8 ? "x64" : "x86");
    LONG value = 0;
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I4;
    arg.lVal = 8;
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    std::wstring name = L"GetPropertyNumber";
    LPOLESTR names[] = {name.data()};
    // Late binding by name is the slowest way a control object may call.
    auto by_name = [&] {
        DISPID id = 0;
        so->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        so->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
    };
    const double slowest = Measure("prop_by_name", "GetIDsOfNames + Invoke (late-bound, by name)", 200000, by_name);
    Measure(
        "prop_vtable", "GetPropertyNumber(8) through the vtable", 2000000, [&] { so->GetPropertyNumber(8, &value); },
        slowest, "late-bound call by name");
    Measure(
        "prop_invoke", "GetPropertyNumber(8) through IDispatch::Invoke", 200000,
        [&] { so->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr); },
        slowest, "late-bound call by name");
    if (result.vt != VT_I4 || result.lVal != 1005019 || value != 1005019) std::printf("unexpected result\n");

    Measure("create_release", "CreateInstance + Release of a service object", 20000, [&] {
        ICashDrawer_SO* object = nullptr;
        factory->CreateInstance(nullptr, IID_ICashDrawer_SO, reinterpret_cast<void**>(&object));
        object->Release();
    });
    so->Release();
    factory->Release();
    FreeLibrary(module);
    CoUninitialize();
    return 0;
}
