#include "kestrix_product.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace opos_bench_test {

bool RegisterKestrixOnce() {
    static const bool registered = [] {
        const std::wstring dll = std::wstring(OPOS_BENCH_PRODUCT_DIR) + L"\\Kestrix.dll";
        HMODULE m = LoadLibraryW(dll.c_str());
        using Fn = HRESULT(STDAPICALLTYPE*)();
        auto reg = m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, "DllRegisterServer"))) : nullptr;
        return reg != nullptr && SUCCEEDED(reg());
    }();
    return registered;
}

int ThreadCount() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    int n = 0;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        n += te.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return n;
}

}  // namespace opos_bench_test
