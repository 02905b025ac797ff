// OposBench.dll: class factory, lock count and self-registration of the four
// control object stand-ins and the simulated service objects.
#include "module.h"

#include <olectl.h>

#include <new>
#include <string>
#include <vector>

#include "common/win32/handle.h"
#include "control_object.h"
#include "sim_service_object.h"
#include "wine_host.h"

namespace opos_bench {
namespace {

HMODULE g_module = nullptr;
LONG g_locks = 0;

struct ServedClass {
    CLSID clsid;
    const wchar_t* prog_id;
    const wchar_t* description;
    CreateFn create;
};

template <const ClassSpec& (*Spec)()>
HRESULT CreateControl(REFIID iid, void** out) {
    return CreateControlObject(Spec(), iid, out);
}

// A table keeps its columns.
// clang-format off
const std::vector<ServedClass>& Served() {
    static const std::vector<ServedClass> classes = {
        {CashDrawerSpec().clsid, L"OPOS.CashDrawer", L"OPOS CashDrawer (bench)", &CreateControl<CashDrawerSpec>},
        {LineDisplaySpec().clsid, L"OPOS.LineDisplay", L"OPOS LineDisplay (bench)", &CreateControl<LineDisplaySpec>},
        {MsrSpec().clsid, L"OPOS.MSR", L"OPOS MSR (bench)", &CreateControl<MsrSpec>},
        {PosPrinterSpec().clsid, L"OPOS.POSPrinter", L"OPOS POSPrinter (bench)", &CreateControl<PosPrinterSpec>},
        {{0x21c9a6a0, 0x9441, 0x4406, {0xaf, 0x9d, 0x2b, 0x92, 0x91, 0x6c, 0xc7, 0xc5}}, L"OposBench.LineDisplay",
         L"Bench line display service object", &CreateLineDisplaySo},
        {{0x988f092d, 0x26e6, 0x4d08, {0x9e, 0xf9, 0xdb, 0xc8, 0xe9, 0xc9, 0xe1, 0xb5}}, L"OposBench.MSR",
         L"Bench MSR service object", &CreateMsrSo},
        {{0x92908aea, 0x4b97, 0x4b96, {0xba, 0xb4, 0x18, 0x8c, 0x99, 0xa3, 0xba, 0x89}}, L"OposBench.POSPrinter",
         L"Bench POS printer service object", &CreatePosPrinterSo},
        {{0x873c2caf, 0x3333, 0x4258, {0x9e, 0xeb, 0xc6, 0x0c, 0xe2, 0xbb, 0x4d, 0xd8}}, L"OposBench.TestCashDrawer",
         L"Bench test cash drawer service object", &CreateTestCashDrawerSo},
        {{0x765fdf25, 0x4b5b, 0x4126, {0x85, 0xfd, 0xc2, 0x75, 0x45, 0x2b, 0x7c, 0xef}}, L"OposBench.TestCashDrawerV2",
         L"Bench test cash drawer service object, version 2", &CreateTestCashDrawerV2So},
    };
    return classes;
}
// clang-format on

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(CreateFn create) : create_(create) { LockModule(); }
    ~ClassFactory() { UnlockModule(); }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            LockModule();
        } else {
            UnlockModule();
        }
        return S_OK;
    }

private:
    LONG refs_ = 1;
    CreateFn create_;
};

std::wstring GuidText(const GUID& g) {
    wchar_t buf[64] = {};
    StringFromGUID2(g, buf, 64);
    return buf;
}

// A key's default value; empty when the key or the value is missing.
std::wstring DefaultValue(const std::wstring& path) {
    wchar_t buf[MAX_PATH + 1] = {};
    LONG size = sizeof(buf) - sizeof(wchar_t);
    if (RegQueryValueW(HKEY_CLASSES_ROOT, path.c_str(), buf, &size) != ERROR_SUCCESS) return L"";
    return buf;
}

// True when a class key's server is a file named OposBench.dll (in any
// folder: each build tree has its own).
bool ServedByTheBench(const CLSID& clsid) {
    const std::wstring server = DefaultValue(L"CLSID\\" + GuidText(clsid) + L"\\InprocServer32");
    const size_t slash = server.find_last_of(L"\\/");
    const std::wstring file = slash == std::wstring::npos ? server : server.substr(slash + 1);
    return lstrcmpiW(file.c_str(), L"OposBench.dll") == 0;
}

bool SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    common::win32::UniqueRegKey k;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

HMODULE ModuleHandle() { return g_module; }
void LockModule() { InterlockedIncrement(&g_locks); }
void UnlockModule() { InterlockedDecrement(&g_locks); }

}  // namespace opos_bench

using namespace opos_bench;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const ServedClass& c : Served()) {
        if (c.clsid != clsid) continue;
        auto* f = new (std::nothrow) ClassFactory(c.create);
        if (!f) return E_OUTOFMEMORY;
        HRESULT hr = f->QueryInterface(iid, out);
        f->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_locks == 0 ? S_OK : S_FALSE; }

// Registers every class under HKCR (machine-wide), apartment threaded, with
// its ProgID. Only under Wine: the control objects' class identifiers are
// the published ones, and a terminal's real control objects stay untouched.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    if (!RunningOnWine()) return kNotOnWine;
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return SELFREG_E_CLASS;
    for (const ServedClass& c : Served()) {
        const std::wstring key = L"CLSID\\" + GuidText(c.clsid);
        if (!SetString(HKEY_CLASSES_ROOT, key, nullptr, c.description) ||
            !SetString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, path) ||
            !SetString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") ||
            !SetString(HKEY_CLASSES_ROOT, key + L"\\ProgID", nullptr, c.prog_id) ||
            !SetString(HKEY_CLASSES_ROOT, c.prog_id, nullptr, c.description) ||
            !SetString(HKEY_CLASSES_ROOT, std::wstring(c.prog_id) + L"\\CLSID", nullptr, GuidText(c.clsid))) {
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

// Removes only what the bench registered: a class whose server is another
// file (a real control object) keeps its class key and its ProgID. Only
// under Wine.
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    if (!RunningOnWine()) return kNotOnWine;
    for (const ServedClass& c : Served()) {
        if (!ServedByTheBench(c.clsid)) continue;
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(c.clsid)).c_str());
        if (DefaultValue(std::wstring(c.prog_id) + L"\\CLSID") == GuidText(c.clsid))
            RegDeleteTreeW(HKEY_CLASSES_ROOT, c.prog_id);
    }
    return S_OK;
}
