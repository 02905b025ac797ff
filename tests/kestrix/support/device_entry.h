// Writes cash drawer device entries into the test prefix's registry, the way
// the setup utility does (ANSI strings, "Timeout" spelled its way).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace kestrix::test {

struct DeviceEntry {
    std::string name = "KxWineDrawer";
    std::wstring dll_path;  // folder of WinIo32.dll
    int32_t master_value = 8;
    int32_t open_status_phase = 0;
    int32_t pulse_on_time = 100;
    int32_t timeout = 1000;
    int32_t check_status_period = 100;
};

// Creates (or replaces) the device key with all values the service object reads.
void WriteDeviceEntry(const DeviceEntry& e);
void DeleteDeviceEntry(const std::string& name);
// Sets one raw value of a device key.
void SetRawValue(const std::string& device, const wchar_t* name, DWORD type, const void* data, DWORD size);
void DeleteValue(const std::string& device, const wchar_t* name);

}  // namespace kestrix::test
