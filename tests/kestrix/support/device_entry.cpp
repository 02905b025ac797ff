#include "device_entry.h"

namespace kestrix::test {
namespace {

std::wstring key_path(const std::string& device) {
    return L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\" + std::wstring(device.begin(), device.end());
}

HKEY create(const std::string& device) {
    HKEY k = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_path(device).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    return k;
}

}  // namespace

void SetRawValue(const std::string& device, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY k = create(device);
    RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
}

void DeleteValue(const std::string& device, const wchar_t* name) {
    HKEY k = create(device);
    RegDeleteValueW(k, name);
    RegCloseKey(k);
}

void WriteDeviceEntry(const DeviceEntry& e) {
    DeleteDeviceEntry(e.name);
    auto str = [&](const wchar_t* name, const std::wstring& v) {
        SetRawValue(e.name, name, REG_SZ, v.c_str(), static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    };
    auto num = [&](const wchar_t* name, int32_t v) { SetRawValue(e.name, name, REG_DWORD, &v, sizeof v); };
    str(L"", L"Norvane.CashDrawer.1");
    str(L"DllPath", e.dll_path);
    str(L"Description", L"Kestrix cash drawer");
    str(L"DeviceName", std::wstring(e.name.begin(), e.name.end()));
    str(L"DeviceDesc", L"Bench drawer");
    num(L"PulseOnTime", e.pulse_on_time);
    num(L"OpenStatusPhase", e.open_status_phase);
    num(L"ConnectorPinNo", 1);
    num(L"Timeout", e.timeout);
    num(L"CheckStatusPeriod", e.check_status_period);
    num(L"MasterValue", e.master_value);
}

void DeleteDeviceEntry(const std::string& name) { RegDeleteKeyW(HKEY_LOCAL_MACHINE, key_path(name).c_str()); }

}  // namespace kestrix::test
