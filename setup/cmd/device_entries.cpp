#include "cmd/device_entries.h"

#include <cstring>

#include "text/ascii_case.h"
#include "store/mod_registry.h"

namespace trellup::cmd {

int32_t ReadDeviceEntry(const StorePlatform& p, const std::string& name, bool with_dll_path, DeviceEntry* entry,
                        std::vector<std::string>* skipped) {
    entry->name = name;
    entry->values.clear();
    std::vector<modRegistry::DeviceValue> raw;
    const int32_t rc =
        modRegistry::ReadKeyValues(p, modRegistry::DeviceKeyPath(common::entry::narrow::kCashDrawerClass, name), &raw);
    if (rc != kRegSuccess) return rc;
    for (const modRegistry::DeviceValue& v : raw) {
        if (!with_dll_path && SameIgnoringCase(v.name, common::entry::narrow::kDllPath)) continue;
        EntryValue e;
        e.name = v.name;
        if (v.type == kRegSz) {
            const char* bytes = reinterpret_cast<const char*>(v.data.data());
            const void* nul = std::memchr(bytes, '\0', v.data.size());
            e.is_text = true;
            e.text.assign(bytes, nul != nullptr ? static_cast<const char*>(nul) - bytes : v.data.size());
        } else if (v.type == kRegDword && v.data.size() == 4) {
            e.number = static_cast<int32_t>(v.data[0] | v.data[1] << 8 | v.data[2] << 16 |
                                            static_cast<uint32_t>(v.data[3]) << 24);
        } else {
            if (skipped != nullptr) skipped->push_back(v.name);
            continue;
        }
        entry->values.push_back(std::move(e));
    }
    return kRegSuccess;
}

}  // namespace trellup::cmd
