// Where the bench may change the registry. Its control objects register under
// the published control objects' class identifiers and its setup step writes
// device entries: on a real terminal that would take over or delete the real
// ones. Registration and entry writes therefore happen only under Wine.
#pragma once

#include <windows.h>

namespace opos_bench {

// True when `ntdll` (a loaded ntdll.dll) is Wine's: it exports wine_get_version.
bool IsWineNtdll(HMODULE ntdll);
// True when this process runs under Wine.
bool RunningOnWine();

// The result of a registration refused outside Wine.
constexpr HRESULT kNotOnWine = HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);

}  // namespace opos_bench
