#include "device_registry.h"

#include <cstring>

namespace kestrix {
namespace {
constexpr uint32_t kStringBufferBytes = 4096;
constexpr uint32_t kNumberBufferBytes = 4;
}  // namespace

void CDeviceRegistry::Close(IKeyStore::Key* key) {
    if (*key && store_) store_->CloseKey(*key);
    *key = 0;
}

void CDeviceRegistry::CloseKeys() {
    Close(&device_key_);
    Close(&class_key_);
}

int32_t CDeviceRegistry::OpenClassKey() {
    Close(&class_key_);
    if (!store_) return 1;
    class_key_ = store_->OpenKey(kClassKeyPath);
    return class_key_ ? 0 : 1;
}

int32_t CDeviceRegistry::OpenDeviceKey(const char16_t* deviceName) {
    Close(&device_key_);
    if (!store_ || !deviceName) return 1;
    std::u16string path(kClassKeyPath);
    path += u'\\';
    for (const char16_t* p = deviceName; *p; ++p) {
        if (path.size() >= kMaxChars) return 1;
        path += *p;
    }
    device_key_ = store_->OpenKey(path.c_str());
    return device_key_ ? 0 : 1;
}

int32_t CDeviceRegistry::CheckKeys() const {
    if (!class_key_) return 2;
    if (!device_key_) return 3;
    return 0;
}

int32_t CDeviceRegistry::ReadString(const char16_t* name, std::u16string* out) {
    if (const int32_t rc = CheckKeys()) return rc;
    char16_t buffer[kStringBufferBytes / sizeof(char16_t)] = {};
    uint32_t type = 0;
    uint32_t size = kStringBufferBytes;
    if (!store_->QueryValue(device_key_, name, &type, buffer, &size)) return 1;
    if (size > kStringBufferBytes) size = kStringBufferBytes;
    const size_t units = size / sizeof(char16_t);
    size_t length = 0;
    while (length < units && length < kMaxChars && buffer[length] != u'\0') ++length;
    out->assign(buffer, length);
    return 0;
}

int32_t CDeviceRegistry::ReadNumber(const char16_t* name, int32_t* out) {
    if (const int32_t rc = CheckKeys()) return rc;
    unsigned char buffer[kNumberBufferBytes] = {};
    uint32_t type = 0;
    uint32_t size = kNumberBufferBytes;
    if (!store_->QueryValue(device_key_, name, &type, buffer, &size)) return 1;
    if (size > kNumberBufferBytes) return 1;
    // Bytes past `size` were zeroed above and stay 0.
    for (uint32_t i = size; i < kNumberBufferBytes; ++i) buffer[i] = 0;
    const uint32_t v = static_cast<uint32_t>(buffer[0]) | static_cast<uint32_t>(buffer[1]) << 8 |
                       static_cast<uint32_t>(buffer[2]) << 16 | static_cast<uint32_t>(buffer[3]) << 24;
    *out = static_cast<int32_t>(v);
    return 0;
}

}  // namespace kestrix
