// DllMain and the five entry points of Kestrix.dll (exported by name through
// Kestrix.def, ordinals 1 to 5).
#include <windows.h>
#include <objbase.h>

#include "Kestrix.h"
#include "kestrix_module.h"
#include "registration.h"

using kestrix::com::Module;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) return Module().Attach(instance) ? TRUE : FALSE;
    if (reason == DLL_PROCESS_DETACH) Module().Detach(reserved != nullptr);
    return TRUE;
}

STDAPI DllCanUnloadNow() { return Module().GetLockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_CashDrawer_SO)) return CLASS_E_CLASSNOTAVAILABLE;
    IClassFactory* factory = nullptr;
    HRESULT hr = Module().GetClassObject(&factory);
    if (FAILED(hr)) return hr;
    hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

STDAPI DllRegisterServer() { return kestrix::com::RegisterServer(Module().PerUser()); }

STDAPI DllUnregisterServer() { return kestrix::com::UnregisterServer(Module().PerUser()); }

// "user" (any letter case, nothing more) switches this process to per-user
// registration. A failed registration is undone at once.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, PCWSTR cmdLine) {
    if (cmdLine != nullptr && CompareStringOrdinal(cmdLine, -1, L"user", -1, TRUE) == CSTR_EQUAL) {
        Module().SetPerUser();
    }
    if (!install) return DllUnregisterServer();
    const HRESULT hr = DllRegisterServer();
    if (FAILED(hr)) DllUnregisterServer();
    return hr;
}
