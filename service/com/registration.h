// The registry entries of Kestrix.dll and its type library.
#pragma once

#include <windows.h>

namespace kestrix::com {

// Writes the ProgIDs, the class key and the type library's registration.
// Machine-wide under HKEY_LOCAL_MACHINE\Software\Classes; with `perUser`
// under HKEY_CURRENT_USER\Software\Classes. The type library step writes
// into the same root (HKEY_CLASSES_ROOT of the process points there for its
// duration). The thread locale is 0x0800 for the duration and restored
// afterwards. The first failing step ends it with its HRESULT (entries
// written so far stay).
HRESULT RegisterServer(bool perUser);

// Removes what RegisterServer writes, in the same root; the key "CLSID"
// itself stays, and entries that are already gone are not a failure. While
// the other build (the other registry view of 64-bit Windows) still
// registers the class, what it needs stays: the ProgID keys, which both
// views share, and, while its type library is registered, the type library
// key (also shared) and the interface keys of both views; only this build's
// platform subkey of the type library goes. The last build removes all.
HRESULT UnregisterServer(bool perUser);

}  // namespace kestrix::com
