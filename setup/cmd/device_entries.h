// Reading the OPOS area for TrellupCmd: the classes and devices, and every
// value of a device key with its type and bytes. Keys are opened for reading
// only; nothing here writes. Results are registry results (0 success).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cmd/provisioning.h"
#include "platform/store_platform.h"

namespace trellup::cmd {

// "SOFTWARE\OLEforRetail\ServiceOPOS\CashDrawer".
std::string ClassKeyPath(const std::string& cls);

// A value exactly as the registry holds it.
struct RawValue {
    std::string name;
    uint32_t type = kRegNone;
    std::vector<uint8_t> data;
};

// The names of the subkeys of the key at `path` (below HKLM), in the
// registry's order. A missing key gives kRegFileNotFound and no names.
int32_t SubkeyNames(const StorePlatform& p, const std::string& path, std::vector<std::string>* names);

// Every value of the key at `path`. On failure *values holds those read
// before it.
int32_t ReadRawValues(const StorePlatform& p, const std::string& path, std::vector<RawValue>* values);

// The values of a cash drawer device key as the provisioning file carries
// them: REG_SZ as text (up to the first NUL), REG_DWORD (4 bytes) as number.
// DllPath is left out unless `with_dll_path`. A value of any other type or
// size is left out and its name added to *skipped (may be null).
int32_t ReadDeviceEntry(const StorePlatform& p, const std::string& name, bool with_dll_path, DeviceEntry* entry,
                        std::vector<std::string>* skipped);

}  // namespace trellup::cmd
