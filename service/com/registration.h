// The registry entries of Kestrix.dll and its type library.
#pragma once

#include <windows.h>

namespace kestrix::com {

// Writes the ProgIDs, the class key and the type library's registration.
// Machine-wide under HKEY_CLASSES_ROOT; with `perUser` under
// HKEY_CURRENT_USER\Software\Classes. The thread locale is 0x0800 for the
// duration and restored afterwards. The first failing step ends it with its
// HRESULT (entries written so far stay).
HRESULT RegisterServer(bool perUser);

// Removes what RegisterServer writes, in the same root; the key "CLSID"
// itself stays, and entries that are already gone are not a failure.
HRESULT UnregisterServer(bool perUser);

}  // namespace kestrix::com
