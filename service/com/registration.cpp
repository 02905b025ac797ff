#include "registration.h"

#include <oleauto.h>

#include <cwchar>
#include <string>

#include "common/win32/handle.h"
#include "kestrix_module.h"

namespace kestrix::com {

namespace {

using common::win32::UniqueRegKey;

constexpr wchar_t kClsid[] = L"{ED8E9135-BECA-458A-A317-74C48397089C}";
constexpr wchar_t kLibid[] = L"{8DA3BAF9-6840-4F9A-83E0-84A5ACBBDCAC}";
constexpr wchar_t kDescription[] = L"CashDrawer_SO Class";
constexpr wchar_t kProgId[] = L"Norvane.CashDrawer.1";
constexpr wchar_t kIndependentProgId[] = L"Norvane.CashDrawer";
constexpr wchar_t kClassKey[] = L"CLSID\\{ED8E9135-BECA-458A-A317-74C48397089C}";
constexpr wchar_t kClasses[] = L"Software\\Classes";
constexpr wchar_t kServerKeyUnderClasses[] =
    L"Software\\Classes\\CLSID\\{ED8E9135-BECA-458A-A317-74C48397089C}\\InprocServer32";
// The registry view of the other build on 64-bit Windows (ignored on 32-bit
// Windows, where there is only one view).
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
// The platform subkeys of the type library's registration (one key that
// both views share) that this build and the other one write.
const wchar_t* const kOwnPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";
const wchar_t* const kOtherPlatform = sizeof(void*) == 8 ? L"win32" : L"win64";

// One key to write: its path below the root, and its default value (none
// when null). `module` marks the key whose default value is the DLL's path.
struct Entry {
    const wchar_t* path;
    const wchar_t* value;
    bool module;
};

// The version-independent ProgID carries a CLSID key of its own besides
// CurVer: CLSIDFromProgID resolves a ProgID only through that key.
const Entry kEntries[] = {
    {L"Norvane.CashDrawer.1", kDescription, false},
    {L"Norvane.CashDrawer.1\\CLSID", kClsid, false},
    {L"Norvane.CashDrawer", kDescription, false},
    {L"Norvane.CashDrawer\\CurVer", kProgId, false},
    {L"Norvane.CashDrawer\\CLSID", kClsid, false},
    {kClassKey, kDescription, false},
    {L"CLSID\\{ED8E9135-BECA-458A-A317-74C48397089C}\\ProgID", kProgId, false},
    {L"CLSID\\{ED8E9135-BECA-458A-A317-74C48397089C}\\VersionIndependentProgID", kIndependentProgId, false},
    {L"CLSID\\{ED8E9135-BECA-458A-A317-74C48397089C}\\Programmable", nullptr, false},
    {L"CLSID\\{ED8E9135-BECA-458A-A317-74C48397089C}\\InprocServer32", nullptr, true},
    {L"CLSID\\{ED8E9135-BECA-458A-A317-74C48397089C}\\TypeLib", kLibid, false},
    {L"CLSID\\{ED8E9135-BECA-458A-A317-74C48397089C}\\Version", L"1.0", false},
};

// The ProgID keys, removed on unregistration with all they contain. Windows
// shares them between the 32-bit and the 64-bit view; the class key is not.
const wchar_t* const kProgIdKeys[] = {kProgId, kIndependentProgId};

// Sets the thread locale to the system default and restores it when done.
class ThreadLocaleScope {
public:
    ThreadLocaleScope() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~ThreadLocaleScope() { SetThreadLocale(saved_); }
    ThreadLocaleScope(const ThreadLocaleScope&) = delete;
    ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

private:
    LCID saved_;
};

HRESULT FromWin32(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

// The root of the class entries, opened into `owner` (created when missing):
// Software\Classes under HKEY_LOCAL_MACHINE machine-wide, under
// HKEY_CURRENT_USER per user. Never HKEY_CLASSES_ROOT itself: that view lays
// the user's classes over the machine's, so machine-wide work through it
// would write into or delete a per-user registration.
HRESULT OpenRoot(bool perUser, UniqueRegKey* owner) {
    return FromWin32(RegCreateKeyExW(perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, kClasses, 0, nullptr, 0,
                                     KEY_ALL_ACCESS, nullptr, owner->put(), nullptr));
}

// True when the other build's registry view of the same root names a server
// for the class: that build still needs the shared ProgID keys and, while its
// type library is registered, the type library and interface keys. Asked
// once this view's class key is gone, so on 32-bit Windows (one view) false.
bool OtherViewRegistersTheClass(bool perUser) {
    UniqueRegKey key;
    return RegOpenKeyExW(perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, kServerKeyUnderClasses, 0,
                         KEY_READ | kOtherView, key.put()) == ERROR_SUCCESS;
}

HRESULT SetString(HKEY key, const wchar_t* name, const wchar_t* text) {
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    return FromWin32(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes));
}

HRESULT WriteEntry(HKEY root, const Entry& e, const wchar_t* modulePath) {
    UniqueRegKey key;
    const LSTATUS s = RegCreateKeyExW(root, e.path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    if (s != ERROR_SUCCESS) return FromWin32(s);
    if (e.module) {
        HRESULT hr = SetString(key.get(), nullptr, modulePath);
        if (SUCCEEDED(hr)) hr = SetString(key.get(), L"ThreadingModel", L"Apartment");
        return hr;
    }
    return e.value != nullptr ? SetString(key.get(), nullptr, e.value) : S_OK;
}

// Deletes `path` with all its content; a key that is not there is no failure.
HRESULT RemoveTree(HKEY root, const wchar_t* path) {
    const LSTATUS s = RegDeleteTreeW(root, path);
    if (s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND) return S_OK;
    return FromWin32(s);
}

HRESULT WriteClassEntries(HKEY root, const wchar_t* modulePath) {
    // The class key is written afresh, Programmable included; "CLSID" stays.
    HRESULT hr = RemoveTree(root, kClassKey);
    for (const Entry& e : kEntries) {
        if (FAILED(hr)) break;
        hr = WriteEntry(root, e, modulePath);
    }
    return hr;
}

HRESULT RemoveProgIds(HKEY root) {
    for (const wchar_t* path : kProgIdKeys) {
        const HRESULT removed = RemoveTree(root, path);
        if (FAILED(removed)) return removed;
    }
    return S_OK;
}

bool KeyExists(HKEY root, const std::wstring& path) {
    UniqueRegKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// "TypeLib\{LIBID}\<major>.<minor>\<lcid>\<platform>", the key that names
// the library file of one platform, spelt as the system writes it.
std::wstring TypeLibPlatformKey(const TLIBATTR& a, const wchar_t* platform) {
    wchar_t libid[40] = {};
    if (StringFromGUID2(a.guid, libid, 40) == 0) return std::wstring();
    wchar_t key[128] = {};
    std::swprintf(key, 128, L"TypeLib\\%ls\\%x.%x\\%lx\\%ls", libid, static_cast<unsigned>(a.wMajorVerNum),
                  static_cast<unsigned>(a.wMinorVerNum), static_cast<unsigned long>(a.lcid), platform);
    return key;
}

// While it lives, HKEY_CLASSES_ROOT of this process stands for the chosen
// root, so that the type library's entries land beside the class entries:
// the system's functions write through HKEY_CLASSES_ROOT, and some of its
// per-user functions write machine-wide.
class ClassesRootOverride {
public:
    explicit ClassesRootOverride(HKEY root) {
        active_ = RegOverridePredefKey(HKEY_CLASSES_ROOT, root) == ERROR_SUCCESS;
    }
    ~ClassesRootOverride() {
        if (active_) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    }
    ClassesRootOverride(const ClassesRootOverride&) = delete;
    ClassesRootOverride& operator=(const ClassesRootOverride&) = delete;
    bool active() const { return active_; }

private:
    bool active_ = false;
};

using RegisterForUserFn = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterForUserFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

// An export of OLEAUT32.DLL if that library is loaded and has it; else null.
template <typename Fn>
Fn OleAutExport(const char* name) {
    HMODULE oleaut = GetModuleHandleW(L"OLEAUT32.DLL");
    FARPROC proc = oleaut != nullptr ? GetProcAddress(oleaut, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}

class TypeLibHandle {
public:
    ~TypeLibHandle() {
        if (lib_ != nullptr) lib_->Release();
    }
    ITypeLib** put() { return &lib_; }
    ITypeLib* get() const { return lib_; }

private:
    ITypeLib* lib_ = nullptr;
};

HRESULT RegisterTypeLibrary(bool perUser, wchar_t* modulePath) {
    TypeLibHandle lib;
    HRESULT hr = LoadTypeLibEx(modulePath, REGKIND_NONE, lib.put());
    if (FAILED(hr)) return hr;
    if (perUser) {
        auto forUser = OleAutExport<RegisterForUserFn>("RegisterTypeLibForUser");
        if (forUser != nullptr) return forUser(lib.get(), modulePath, nullptr);
    }
    return RegisterTypeLib(lib.get(), modulePath, nullptr);
}

// Removes the type library's registration below `root`. While `otherBuild`
// (the other view registers the class) and its platform's type library
// registration stands, only this build's platform key goes: the system's
// removal would also delete the interface keys of both views, which the
// other build still needs. Otherwise everything goes, by the system.
HRESULT UnregisterTypeLibrary(bool perUser, HKEY root, bool otherBuild, wchar_t* modulePath) {
    TypeLibHandle lib;
    HRESULT hr = LoadTypeLibEx(modulePath, REGKIND_NONE, lib.put());
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = lib.get()->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    const TLIBATTR a = *attr;
    lib.get()->ReleaseTLibAttr(attr);
    if (otherBuild) {
        const std::wstring other = TypeLibPlatformKey(a, kOtherPlatform);
        const std::wstring own = TypeLibPlatformKey(a, kOwnPlatform);
        if (own.empty() || other.empty()) return E_UNEXPECTED;
        if (KeyExists(root, other)) return RemoveTree(root, own.c_str());
    }
    BSTR registered = nullptr;
    if (FAILED(QueryPathOfRegTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, &registered))) {
        return S_OK;  // not registered here: nothing to remove
    }
    SysFreeString(registered);
    if (perUser) {
        auto forUser = OleAutExport<UnregisterForUserFn>("UnRegisterTypeLibForUser");
        if (forUser != nullptr) return forUser(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
    }
    return UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
}

}  // namespace

HRESULT RegisterServer(bool perUser) {
    ThreadLocaleScope locale;
    std::wstring path = Module().ModulePath();
    if (path.empty()) return E_UNEXPECTED;
    UniqueRegKey root;
    HRESULT hr = OpenRoot(perUser, &root);
    if (SUCCEEDED(hr)) hr = WriteClassEntries(root.get(), path.c_str());
    if (SUCCEEDED(hr)) {
        ClassesRootOverride redirect(root.get());
        hr = redirect.active() ? RegisterTypeLibrary(perUser, path.data()) : E_UNEXPECTED;
    }
    return hr;
}

HRESULT UnregisterServer(bool perUser) {
    ThreadLocaleScope locale;
    std::wstring path = Module().ModulePath();
    if (path.empty()) return E_UNEXPECTED;
    UniqueRegKey root;
    HRESULT hr = OpenRoot(perUser, &root);
    if (SUCCEEDED(hr)) hr = RemoveTree(root.get(), kClassKey);
    if (FAILED(hr)) return hr;
    const bool otherBuild = OtherViewRegistersTheClass(perUser);
    if (!otherBuild) hr = RemoveProgIds(root.get());
    if (FAILED(hr)) return hr;
    ClassesRootOverride redirect(root.get());
    return redirect.active() ? UnregisterTypeLibrary(perUser, root.get(), otherBuild, path.data()) : E_UNEXPECTED;
}

}  // namespace kestrix::com
