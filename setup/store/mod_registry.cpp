#include "store/mod_registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace trellup {
namespace modRegistry {
namespace {

// A key opened (or made) with create semantics; closed when destroyed.
class CreatedKey {
public:
    CreatedKey(IRegistry& registry, const std::string& path) : registry_(registry) {
        result_ = registry_.CreateKey(path.c_str(), &key_);
        if (result_ != kRegSuccess) {
            key_ = 0;
        } else if (key_ == 0) {
            result_ = kRegInvalidParameter;
        }
    }
    ~CreatedKey() {
        if (key_ != 0) registry_.CloseKey(key_);
    }
    CreatedKey(const CreatedKey&) = delete;
    CreatedKey& operator=(const CreatedKey&) = delete;

    int32_t result() const { return result_; }
    IRegistry::Key key() const { return key_; }

private:
    IRegistry& registry_;
    IRegistry::Key key_ = 0;
    int32_t result_;
};

bool IsDeviceKey(const std::string& cls, const std::string& device) {
    return IsKeyName(cls) && IsKeyName(device);
}

// Bytes of a text value as read: the buffer holds 255 characters prefilled
// with blanks and a terminator; the registry is told 255 bytes, so a text of
// 255 characters or more (with its terminator) does not fit.
constexpr uint32_t kTextRoom = 255;

std::string TextFromValue(const char* buffer, uint32_t size) {
    const uint32_t n = std::min(size, kTextRoom);
    const void* nul = std::memchr(buffer, '\0', n);
    if (nul != nullptr) return std::string(buffer, static_cast<const char*>(nul) - buffer);
    if (n >= kTextRoom) return std::string();  // 255 characters and no terminator
    return std::string(buffer, n);
}

int32_t SetValue(const StorePlatform& p, const std::string& cls, const std::string& device,
                 const std::string& name, uint32_t type, const void* data, uint32_t size) {
    if (!IsDeviceKey(cls, device)) return kRegInvalidParameter;
    CreatedKey key(*p.registry, DeviceKeyPath(cls, device));
    if (key.result() != kRegSuccess) return key.result();
    return p.registry->SetValue(key.key(), name.c_str(), type, data, size);
}

}  // namespace

bool IsKeyName(const std::string& name) {
    return !name.empty() && name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string DeviceKeyPath(const std::string& cls, const std::string& device) {
    return std::string(kOposRoot) + "\\" + cls + "\\" + device;
}

bool DeviceKeyExists(const StorePlatform& p, const std::string& cls, const std::string& device) {
    if (!IsKeyName(cls) || !IsKeyName(device)) return false;
    IRegistry::Key key = 0;
    if (p.registry->OpenKey(DeviceKeyPath(cls, device).c_str(), &key) != kRegSuccess) return false;
    p.registry->CloseKey(key);
    return true;
}

int32_t CopyMissingValues(const StorePlatform& p, const std::string& cls, const std::string& from,
                          const std::string& to) {
    if (!IsDeviceKey(cls, from) || !IsDeviceKey(cls, to)) return kRegInvalidParameter;
    IRegistry& r = *p.registry;
    IRegistry::Key source = 0;
    int32_t rc = r.OpenKey(DeviceKeyPath(cls, from).c_str(), &source);
    if (rc != kRegSuccess) return rc;
    CreatedKey target(r, DeviceKeyPath(cls, to));
    rc = target.result();
    // Value names are at most 16 383 characters.
    std::vector<char> name(16384);
    std::vector<uint8_t> data;
    for (uint32_t index = 0; rc == kRegSuccess; ++index) {
        uint32_t length = static_cast<uint32_t>(name.size());
        rc = r.EnumValue(source, index, name.data(), &length);
        if (rc == kRegNoMoreItems) {
            rc = kRegSuccess;
            break;
        }
        if (rc != kRegSuccess) break;
        if (r.QueryValue(target.key(), name.data(), nullptr, nullptr, nullptr) == kRegSuccess) continue;
        uint32_t type = kRegNone;
        uint32_t size = 0;
        rc = r.QueryValue(source, name.data(), &type, nullptr, &size);
        if (rc != kRegSuccess) break;
        data.assign(size + 1, 0);  // never a null buffer, even for no bytes
        rc = r.QueryValue(source, name.data(), &type, data.data(), &size);
        if (rc == kRegSuccess) rc = r.SetValue(target.key(), name.data(), type, data.data(), size);
    }
    r.CloseKey(source);
    return rc;
}

int32_t DeleteRegKey(const StorePlatform& p, const std::string& parent, const std::string& subkey) {
    if (!IsKeyName(subkey)) return kRegInvalidParameter;
    CreatedKey key(*p.registry, parent);
    if (key.result() != kRegSuccess) return key.result();
    return p.registry->DeleteKey(key.key(), subkey.c_str());
}

int32_t QueryDeviceValue(const StorePlatform& p, const std::string& cls, const std::string& device,
                         const std::string& name, uint32_t wanted_type, std::string* text,
                         int32_t* number) {
    if (wanted_type == kRegSz && text != nullptr) text->clear();
    if ((wanted_type != kRegSz && wanted_type != kRegDword) || !IsDeviceKey(cls, device)) {
        return kRegInvalidParameter;
    }
    CreatedKey key(*p.registry, DeviceKeyPath(cls, device));
    if (key.result() != kRegSuccess) return key.result();

    uint32_t type = kRegNone;
    if (wanted_type == kRegSz) {
        char buffer[kTextRoom + 1];
        std::memset(buffer, ' ', kTextRoom);
        buffer[kTextRoom] = '\0';
        uint32_t size = kTextRoom;
        const int32_t rc = p.registry->QueryValue(key.key(), name.c_str(), &type, buffer, &size);
        if (rc == kRegSuccess && text != nullptr) *text = TextFromValue(buffer, size);
        return rc;
    }

    unsigned char bytes[4] = {0, 0, 0, 0};
    uint32_t size = sizeof bytes;
    const int32_t rc = p.registry->QueryValue(key.key(), name.c_str(), &type, bytes, &size);
    if (rc == kRegSuccess && number != nullptr) {
        uint32_t value = 0;
        const uint32_t n = std::min<uint32_t>(size, sizeof bytes);
        for (uint32_t i = 0; i < n; ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
        *number = static_cast<int32_t>(value);
    }
    return rc;
}

int32_t SetDeviceString(const StorePlatform& p, const std::string& cls, const std::string& device,
                        const std::string& name, const std::string& text) {
    const uint32_t size = text.empty() ? 0 : static_cast<uint32_t>(text.size() + 1);
    return SetValue(p, cls, device, name, kRegSz, text.c_str(), size);
}

int32_t SetDeviceDword(const StorePlatform& p, const std::string& cls, const std::string& device,
                       const std::string& name, int32_t number) {
    const uint32_t v = static_cast<uint32_t>(number);
    const unsigned char bytes[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                    static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    return SetValue(p, cls, device, name, kRegDword, bytes, sizeof bytes);
}

int32_t WriteDeviceRecord(const StorePlatform& p, const CashDrawerDevice& d, bool write_dll_path) {
    const std::string& c = d.ClassName;
    const std::string& n = d.DeviceName;
    SetDeviceString(p, c, n, "", d.SOProgID);
    SetDeviceString(p, c, n, "Description", d.Description);
    SetDeviceString(p, c, n, "DeviceName", d.DeviceName);
    SetDeviceString(p, c, n, "DeviceDesc", d.DeviceDesc);
    if (write_dll_path) SetDeviceString(p, c, n, "DllPath", p.folder->Get());
    SetDeviceString(p, c, n, "Master", d.Master);
    SetDeviceDword(p, c, n, "CheckStatusPeriod", d.CheckStatusPeriod);
    SetDeviceDword(p, c, n, "ConnectorPinNo", d.ConnectorPinNo);
    SetDeviceDword(p, c, n, "MasterValue", d.MasterValue);
    SetDeviceDword(p, c, n, "OpenStatusPhase", d.OpenStatusPhase);
    SetDeviceDword(p, c, n, "PulseOnTime", d.PulseOnTime);
    return SetDeviceDword(p, c, n, "Timeout", d.Timeout);
}

void ReadDeviceRecord(const StorePlatform& p, const std::string& cls, const std::string& device,
                      CashDrawerDevice* out) {
    out->ClassName = cls;
    QueryDeviceValue(p, cls, device, "", kRegSz, &out->SOProgID, nullptr);
    QueryDeviceValue(p, cls, device, "Description", kRegSz, &out->Description, nullptr);
    out->DeviceName = device;
    QueryDeviceValue(p, cls, device, "DeviceDesc", kRegSz, &out->DeviceDesc, nullptr);
    QueryDeviceValue(p, cls, device, "Master", kRegSz, &out->Master, nullptr);

    // One receiving variable for all six: a number that cannot be read
    // repeats the one before it.
    int32_t number = 0;
    const struct {
        const char* name;
        int32_t CashDrawerDevice::*field;
    } numbers[] = {
        {"MasterValue", &CashDrawerDevice::MasterValue},
        {"CheckStatusPeriod", &CashDrawerDevice::CheckStatusPeriod},
        {"ConnectorPinNo", &CashDrawerDevice::ConnectorPinNo},
        {"OpenStatusPhase", &CashDrawerDevice::OpenStatusPhase},
        {"PulseOnTime", &CashDrawerDevice::PulseOnTime},
        {"Timeout", &CashDrawerDevice::Timeout},
    };
    for (const auto& n : numbers) {
        QueryDeviceValue(p, cls, device, n.name, kRegDword, nullptr, &number);
        out->*n.field = number;
    }
}

}  // namespace modRegistry
}  // namespace trellup
