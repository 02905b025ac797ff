#include "setup_entries.h"

#include <windows.h>

#include "common/entry/cash_drawer_entry.h"
#include "common/win32/handle.h"
#include "wine_host.h"

namespace opos_bench {
namespace {

namespace entry = common::entry::wide;

std::wstring KeyPath(const wchar_t* device_class, const std::wstring& device) {
    return std::wstring(entry::kOposRoot) + L"\\" + device_class + L"\\" + device;
}

// One device key, created (or opened) for writing.
class Key {
public:
    Key(const wchar_t* device_class, const std::wstring& device) {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, KeyPath(device_class, device).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, k_.put(), nullptr);
    }
    bool ok() const { return static_cast<bool>(k_); }
    bool Str(const wchar_t* name, const std::wstring& v) {
        return k_ && RegSetValueExW(k_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                                    static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    bool Num(const wchar_t* name, DWORD v) {
        return k_ && RegSetValueExW(k_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
                         ERROR_SUCCESS;
    }

private:
    common::win32::UniqueRegKey k_;
};

}  // namespace

bool RegisterBenchServer(bool on) {
    if (!RunningOnWine()) return false;
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    std::wstring dll(path, n);
    dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"OposBench.dll";
    HMODULE m = LoadLibraryW(dll.c_str());
    if (!m) return false;
    using Fn = HRESULT(STDAPICALLTYPE*)();
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(m, on ? "DllRegisterServer" : "DllUnregisterServer")));
    bool ok = fn && SUCCEEDED(fn());
    FreeLibrary(m);
    return ok;
}

bool WriteProgIdEntry(const wchar_t* device_class, const std::wstring& device, const std::wstring& prog_id) {
    if (!RunningOnWine()) return false;
    DeleteEntry(device_class, device);
    Key k(device_class, device);
    return k.ok() && (prog_id.empty() || k.Str(nullptr, prog_id));
}

void DeleteEntry(const wchar_t* device_class, const std::wstring& device) {
    if (!RunningOnWine()) return;
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, KeyPath(device_class, device).c_str());
}

bool WriteBenchEntries(const std::wstring& product, const std::wstring& drawer) {
    if (!RunningOnWine()) return false;
    bool ok = WriteProgIdEntry(entry::kCashDrawerClass, drawer, L"Norvane.CashDrawer.1");
    Key d(entry::kCashDrawerClass, drawer);
    // Terminal model 8: the sensor reads 0 while the drawer is open.
    ok = ok && d.Str(entry::kDllPath, product) && d.Str(entry::kDescription, L"Kestrix cash drawer") &&
         d.Str(entry::kDeviceName, drawer) && d.Str(entry::kDeviceDesc, L"Bench drawer, port 0x0280/0x0281") &&
         d.Num(entry::kPulseOnTime, 100) && d.Num(entry::kOpenStatusPhase, 0) && d.Num(entry::kConnectorPinNo, 1) &&
         d.Num(entry::kTimeout, 1000) && d.Num(entry::kCheckStatusPeriod, 300) &&
         d.Num(entry::kMasterValue, kBenchMasterValue);
    ok = ok && WriteProgIdEntry(L"LineDisplay", kBenchDisplay, L"OposBench.LineDisplay");
    ok = ok && WriteProgIdEntry(L"MSR", kBenchMsr, L"OposBench.MSR");
    ok = ok && WriteProgIdEntry(L"POSPrinter", kBenchPrinter, L"OposBench.POSPrinter");
    return ok;
}

void RemoveBenchEntries() {
    DeleteEntry(entry::kCashDrawerClass, kBenchDrawer);
    DeleteEntry(L"LineDisplay", kBenchDisplay);
    DeleteEntry(L"MSR", kBenchMsr);
    DeleteEntry(L"POSPrinter", kBenchPrinter);
}

}  // namespace opos_bench
