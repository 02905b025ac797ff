#include "cmd/device_entries.h"

#include <cstring>

#include "text/ascii_case.h"
#include "store/mod_registry.h"

namespace trellup::cmd {
namespace {

// A key opened for reading; closed when destroyed.
class ReadKey {
public:
    ReadKey(IRegistry& r, const std::string& path) : r_(r) { result_ = r_.OpenKey(path.c_str(), &key_); }
    ~ReadKey() {
        if (result_ == kRegSuccess && key_ != 0) r_.CloseKey(key_);
    }
    ReadKey(const ReadKey&) = delete;
    ReadKey& operator=(const ReadKey&) = delete;
    int32_t result() const { return result_ == kRegSuccess && key_ == 0 ? kRegInvalidParameter : result_; }
    IRegistry::Key key() const { return key_; }

private:
    IRegistry& r_;
    IRegistry::Key key_ = 0;
    int32_t result_;
};

// Value and key names are at most 16 383 characters.
constexpr uint32_t kNameRoom = 16384;

}  // namespace

std::string ClassKeyPath(const std::string& cls) { return std::string(kOposRoot) + "\\" + cls; }

int32_t SubkeyNames(const StorePlatform& p, const std::string& path, std::vector<std::string>* names) {
    names->clear();
    ReadKey key(*p.registry, path);
    if (key.result() != kRegSuccess) return key.result();
    std::vector<char> buffer(kNameRoom);
    for (uint32_t i = 0;; ++i) {
        const int32_t rc = p.registry->EnumKey(key.key(), i, buffer.data(), kNameRoom);
        if (rc == kRegNoMoreItems) return kRegSuccess;
        if (rc != kRegSuccess) return rc;
        names->emplace_back(buffer.data());
    }
}

int32_t ReadRawValues(const StorePlatform& p, const std::string& path, std::vector<RawValue>* values) {
    values->clear();
    IRegistry& r = *p.registry;
    ReadKey key(r, path);
    if (key.result() != kRegSuccess) return key.result();
    std::vector<char> name(kNameRoom);
    for (uint32_t i = 0;; ++i) {
        uint32_t length = kNameRoom;
        int32_t rc = r.EnumValue(key.key(), i, name.data(), &length);
        if (rc == kRegNoMoreItems) return kRegSuccess;
        if (rc != kRegSuccess) return rc;
        RawValue v;
        v.name.assign(name.data(), length);
        uint32_t size = 0;
        rc = r.QueryValue(key.key(), v.name.c_str(), &v.type, nullptr, &size);
        if (rc != kRegSuccess) return rc;
        std::vector<uint8_t> data(size + 1, 0);  // never a null buffer, even for no bytes
        rc = r.QueryValue(key.key(), v.name.c_str(), &v.type, data.data(), &size);
        if (rc != kRegSuccess) return rc;
        v.data.assign(data.begin(), data.begin() + size);
        values->push_back(std::move(v));
    }
}

int32_t ReadDeviceEntry(const StorePlatform& p, const std::string& name, bool with_dll_path, DeviceEntry* entry,
                        std::vector<std::string>* skipped) {
    entry->name = name;
    entry->values.clear();
    std::vector<RawValue> raw;
    const int32_t rc =
        ReadRawValues(p, modRegistry::DeviceKeyPath(common::entry::narrow::kCashDrawerClass, name), &raw);
    if (rc != kRegSuccess) return rc;
    for (const RawValue& v : raw) {
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
