// A cash drawer device key read as the provisioning file carries it. The key
// is opened for reading only (the store's helpers, modRegistry, list keys and
// read values as stored). Results are registry results (0 success).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cmd/provisioning.h"
#include "platform/store_platform.h"

namespace trellup::cmd {

// The values of a cash drawer device key as the provisioning file carries
// them: REG_SZ as text (up to the first NUL), REG_DWORD (4 bytes) as number.
// DllPath is left out unless `with_dll_path`. A value of any other type or
// size is left out and its name added to *skipped (may be null).
int32_t ReadDeviceEntry(const StorePlatform& p, const std::string& name, bool with_dll_path, DeviceEntry* entry,
                        std::vector<std::string>* skipped);

}  // namespace trellup::cmd
