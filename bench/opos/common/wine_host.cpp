#include "wine_host.h"

namespace opos_bench {

bool IsWineNtdll(HMODULE ntdll) { return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr; }

bool RunningOnWine() { return IsWineNtdll(GetModuleHandleW(L"ntdll.dll")); }

}  // namespace opos_bench
