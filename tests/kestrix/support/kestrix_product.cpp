#include "kestrix_product.h"

#include <windows.h>

#include <string>

#include "process_threads.h"

namespace opos_bench::test {

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

int ThreadCount() { return ThreadsOfThisProcess(); }

}  // namespace opos_bench::test
