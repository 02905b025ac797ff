#include "store/mod_registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "text/ascii_case.h"

namespace trellup {
namespace modRegistry {

namespace entry = common::entry::narrow;

namespace {

// A key opened for reading, or for reading and writing with create
// semantics; closed when destroyed.
class HeldKey {
public:
    enum Mode { kRead, kCreate };
    HeldKey(IRegistry& registry, const std::string& path, Mode mode) : registry_(registry) {
        result_ = mode == kRead ? registry_.OpenKey(path.c_str(), &key_) : registry_.CreateKey(path.c_str(), &key_);
        if (result_ != kRegSuccess) {
            key_ = 0;
        } else if (key_ == 0) {
            result_ = kRegInvalidParameter;
        }
    }
    ~HeldKey() { Close(); }
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;

    int32_t result() const { return result_; }
    IRegistry::Key key() const { return key_; }
    void Close() {
        if (key_ != 0) registry_.CloseKey(key_);
        key_ = 0;
    }

private:
    IRegistry& registry_;
    IRegistry::Key key_ = 0;
    int32_t result_;
};

bool IsDeviceKey(const std::string& cls, const std::string& device) { return IsKeyName(cls) && IsKeyName(device); }

bool KeyExists(IRegistry& r, const std::string& path) {
    return HeldKey(r, path, HeldKey::kRead).result() == kRegSuccess;
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

// QueryDeviceValue on a key already open.
int32_t QueryOpenKey(IRegistry& r, IRegistry::Key key, const std::string& name, uint32_t wanted_type, std::string* text,
                     int32_t* number) {
    uint32_t type = kRegNone;
    if (wanted_type == kRegSz) {
        char buffer[kTextRoom + 1];
        std::memset(buffer, ' ', kTextRoom);
        buffer[kTextRoom] = '\0';
        uint32_t size = kTextRoom;
        const int32_t rc = r.QueryValue(key, name.c_str(), &type, buffer, &size);
        if (rc == kRegSuccess && text != nullptr) *text = TextFromValue(buffer, size);
        return rc;
    }
    unsigned char bytes[4] = {0, 0, 0, 0};
    uint32_t size = sizeof bytes;
    const int32_t rc = r.QueryValue(key, name.c_str(), &type, bytes, &size);
    if (rc == kRegSuccess && number != nullptr) {
        uint32_t value = 0;
        const uint32_t n = std::min<uint32_t>(size, sizeof bytes);
        for (uint32_t i = 0; i < n; ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
        *number = static_cast<int32_t>(value);
    }
    return rc;
}

DeviceValue TextValue(const char* name, const std::string& text) {
    DeviceValue v{name, kRegSz, std::vector<uint8_t>(text.begin(), text.end())};
    if (!text.empty()) v.data.push_back(0);  // an empty text has no data bytes
    return v;
}

DeviceValue DwordValue(const char* name, int32_t number) {
    const uint32_t u = static_cast<uint32_t>(number);
    return DeviceValue{name,
                       kRegDword,
                       {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                        static_cast<uint8_t>(u >> 24)}};
}

int32_t SetValue(const StorePlatform& p, const std::string& cls, const std::string& device, const DeviceValue& v) {
    if (!IsDeviceKey(cls, device)) return kRegInvalidParameter;
    HeldKey key(*p.registry, DeviceKeyPath(cls, device), HeldKey::kCreate);
    if (key.result() != kRegSuccess) return key.result();
    return p.registry->SetValue(key.key(), v.name.c_str(), v.type, v.data.data(), static_cast<uint32_t>(v.data.size()));
}

// One value read whole; kRegFileNotFound when there is none.
int32_t ReadValue(IRegistry& r, IRegistry::Key key, const std::string& name, DeviceValue* out) {
    out->name = name;
    uint32_t size = 0;
    int32_t rc = r.QueryValue(key, name.c_str(), &out->type, nullptr, &size);
    // A value may grow between the two reads; try again with its new size.
    for (int attempt = 0; rc == kRegSuccess && attempt < 3; ++attempt) {
        std::vector<uint8_t> data(size + 1);  // never a null buffer, even for no bytes
        uint32_t got = size + 1;
        rc = r.QueryValue(key, name.c_str(), &out->type, data.data(), &got);
        if (rc == kRegSuccess) {
            data.resize(got);
            out->data = std::move(data);
            return rc;
        }
        if (rc == kRegMoreData) {
            size = got;
            rc = kRegSuccess;
        }
    }
    return rc == kRegSuccess ? kRegMoreData : rc;
}

// Every value of an open key, in the registry's order.
int32_t ReadAllValues(IRegistry& r, IRegistry::Key key, std::vector<DeviceValue>* out) {
    out->clear();
    std::vector<char> name(16384);  // value names are at most 16 383 characters
    for (uint32_t index = 0;; ++index) {
        uint32_t length = static_cast<uint32_t>(name.size());
        int32_t rc = r.EnumValue(key, index, name.data(), &length);
        if (rc == kRegNoMoreItems) return kRegSuccess;
        if (rc != kRegSuccess) return rc;
        DeviceValue v;
        rc = ReadValue(r, key, std::string(name.data(), length), &v);
        if (rc != kRegSuccess) return rc;
        out->push_back(std::move(v));
    }
}

const DeviceValue* Named(const std::vector<DeviceValue>& values, const std::string& name) {
    for (const DeviceValue& v : values) {
        if (SameIgnoringCase(v.name, name)) return &v;
    }
    return nullptr;
}

// What a save changes in the target key, so that it can be put back.
struct Undo {
    bool key_existed = false;
    bool class_existed = false;
    std::vector<DeviceValue> before;   // the target's values that the save may change, as they were
    std::vector<std::string> written;  // names set so far
    std::vector<std::string> removed;  // names deleted so far
};

// Puts the target back as `undo` says it was; true when all of it worked.
bool PutBack(IRegistry& r, HeldKey& key, const std::string& cls, const std::string& device, const Undo& undo) {
    if (!undo.key_existed) {
        key.Close();
        bool ok = true;
        {
            HeldKey parent(r, ClassKeyPath(cls), HeldKey::kRead);
            const int32_t rc =
                parent.result() == kRegSuccess ? r.DeleteKey(parent.key(), device.c_str()) : parent.result();
            ok = rc == kRegSuccess || rc == kRegFileNotFound;
        }
        if (ok && !undo.class_existed) {
            HeldKey root(r, kOposRoot, HeldKey::kRead);
            const int32_t rc = root.result() == kRegSuccess ? r.DeleteKey(root.key(), cls.c_str()) : root.result();
            ok = rc == kRegSuccess || rc == kRegFileNotFound;
        }
        return ok;
    }
    if (key.key() == 0) return undo.written.empty() && undo.removed.empty();
    bool ok = true;
    for (const std::string& name : undo.written) {
        const DeviceValue* old = Named(undo.before, name);
        const int32_t rc = old != nullptr ? r.SetValue(key.key(), old->name.c_str(), old->type, old->data.data(),
                                                       static_cast<uint32_t>(old->data.size()))
                                          : r.DeleteValue(key.key(), name.c_str());
        ok = ok && (rc == kRegSuccess || (old == nullptr && rc == kRegFileNotFound));
    }
    for (const std::string& name : undo.removed) {
        const DeviceValue* old = Named(undo.before, name);
        ok = ok && old != nullptr &&
             r.SetValue(key.key(), old->name.c_str(), old->type, old->data.data(),
                        static_cast<uint32_t>(old->data.size())) == kRegSuccess;
    }
    return ok;
}

}  // namespace

std::string ClassKeyPath(const std::string& cls) { return std::string(kOposRoot) + "\\" + cls; }

int32_t SubkeyNames(const StorePlatform& p, const std::string& path, std::vector<std::string>* names) {
    names->clear();
    HeldKey key(*p.registry, path, HeldKey::kRead);
    if (key.result() != kRegSuccess) return key.result();
    std::vector<char> buffer(16384);  // key names are at most 16 383 characters
    for (uint32_t i = 0;; ++i) {
        const int32_t rc = p.registry->EnumKey(key.key(), i, buffer.data(), static_cast<uint32_t>(buffer.size()));
        if (rc == kRegNoMoreItems) return kRegSuccess;
        if (rc != kRegSuccess) return rc;
        names->emplace_back(buffer.data());
    }
}

int32_t ReadKeyValues(const StorePlatform& p, const std::string& path, std::vector<DeviceValue>* values) {
    values->clear();
    HeldKey key(*p.registry, path, HeldKey::kRead);
    if (key.result() != kRegSuccess) return key.result();
    return ReadAllValues(*p.registry, key.key(), values);
}

bool IsKeyName(const std::string& name) {
    return !name.empty() && name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string DeviceKeyPath(const std::string& cls, const std::string& device) {
    return ClassKeyPath(cls) + "\\" + device;
}

bool DeviceKeyExists(const StorePlatform& p, const std::string& cls, const std::string& device) {
    return IsDeviceKey(cls, device) && KeyExists(*p.registry, DeviceKeyPath(cls, device));
}

std::vector<DeviceValue> RecordValues(const StorePlatform& p, const CashDrawerDevice& d, bool write_dll_path) {
    std::vector<DeviceValue> values = {
        TextValue("", d.SOProgID),
        TextValue(entry::kDescription, d.Description),
        TextValue(entry::kDeviceName, d.DeviceName),
        TextValue(entry::kDeviceDesc, d.DeviceDesc),
        TextValue(entry::kDllPath, p.folder->Get()),
        TextValue(entry::kMaster, d.Master),
        DwordValue(entry::kCheckStatusPeriod, d.CheckStatusPeriod),
        DwordValue(entry::kConnectorPinNo, d.ConnectorPinNo),
        DwordValue(entry::kMasterValue, d.MasterValue),
        DwordValue(entry::kOpenStatusPhase, d.OpenStatusPhase),
        DwordValue(entry::kPulseOnTime, d.PulseOnTime),
        DwordValue(entry::kTimeout, d.Timeout),
    };
    if (!write_dll_path) values.erase(values.begin() + 4);
    return values;
}

int32_t DeleteRegKey(const StorePlatform& p, const std::string& parent, const std::string& subkey) {
    if (!IsKeyName(subkey)) return kRegInvalidParameter;
    HeldKey key(*p.registry, parent, HeldKey::kRead);
    if (key.result() != kRegSuccess) return key.result();
    return p.registry->DeleteKey(key.key(), subkey.c_str());
}

int32_t QueryDeviceValue(const StorePlatform& p, const std::string& cls, const std::string& device,
                         const std::string& name, uint32_t wanted_type, std::string* text, int32_t* number) {
    if (wanted_type == kRegSz && text != nullptr) text->clear();
    if ((wanted_type != kRegSz && wanted_type != kRegDword) || !IsDeviceKey(cls, device)) {
        return kRegInvalidParameter;
    }
    HeldKey key(*p.registry, DeviceKeyPath(cls, device), HeldKey::kRead);
    if (key.result() != kRegSuccess) return key.result();
    return QueryOpenKey(*p.registry, key.key(), name, wanted_type, text, number);
}

int32_t SetDeviceString(const StorePlatform& p, const std::string& cls, const std::string& device,
                        const std::string& name, const std::string& text) {
    return SetValue(p, cls, device, TextValue(name.c_str(), text));
}

int32_t SetDeviceDword(const StorePlatform& p, const std::string& cls, const std::string& device,
                       const std::string& name, int32_t number) {
    return SetValue(p, cls, device, DwordValue(name.c_str(), number));
}

SaveResult SaveDeviceRecord(const StorePlatform& p, const CashDrawerDevice& record, const std::string& from,
                            bool replace, bool write_dll_path) {
    const std::string& cls = record.ClassName;
    const std::string& device = record.DeviceName;
    const bool moving = !from.empty() && !SameIgnoringCase(from, device);
    if (!IsDeviceKey(cls, device) || (moving && !IsKeyName(from))) return SaveResult{kRegInvalidParameter, true};
    IRegistry& r = *p.registry;

    // What the key is to hold: the record, then the moved entry's other values.
    std::vector<DeviceValue> values = RecordValues(p, record, write_dll_path);
    if (moving) {
        HeldKey source(r, DeviceKeyPath(cls, from), HeldKey::kRead);
        std::vector<DeviceValue> old;
        int32_t rc = source.result();
        if (rc == kRegSuccess) rc = ReadAllValues(r, source.key(), &old);
        if (rc != kRegSuccess) return SaveResult{rc, true};
        for (DeviceValue& v : old) {
            if (Named(values, v.name) == nullptr) values.push_back(std::move(v));
        }
    }

    // What it holds now, as far as the save may change it.
    Undo undo;
    {
        HeldKey target(r, DeviceKeyPath(cls, device), HeldKey::kRead);
        undo.key_existed = target.result() == kRegSuccess;
        if (!undo.key_existed && target.result() != kRegFileNotFound) return SaveResult{target.result(), true};
        undo.class_existed = undo.key_existed || KeyExists(r, ClassKeyPath(cls));
        if (undo.key_existed && replace) {
            const int32_t rc = ReadAllValues(r, target.key(), &undo.before);
            if (rc != kRegSuccess) return SaveResult{rc, true};
        } else if (undo.key_existed) {
            for (const DeviceValue& v : values) {
                DeviceValue old;
                const int32_t rc = ReadValue(r, target.key(), v.name, &old);
                if (rc == kRegSuccess) {
                    undo.before.push_back(std::move(old));
                } else if (rc != kRegFileNotFound) {
                    return SaveResult{rc, true};
                }
            }
        }
    }

    HeldKey key(r, DeviceKeyPath(cls, device), HeldKey::kCreate);
    int32_t rc = key.result();
    for (size_t i = 0; rc == kRegSuccess && i < values.size(); ++i) {
        const DeviceValue& v = values[i];
        rc = r.SetValue(key.key(), v.name.c_str(), v.type, v.data.data(), static_cast<uint32_t>(v.data.size()));
        if (rc == kRegSuccess) undo.written.push_back(v.name);
    }
    if (replace) {
        for (size_t i = 0; rc == kRegSuccess && i < undo.before.size(); ++i) {
            const std::string& name = undo.before[i].name;
            if (Named(values, name) != nullptr) continue;
            rc = r.DeleteValue(key.key(), name.c_str());
            if (rc == kRegSuccess) undo.removed.push_back(name);
        }
    }
    // The old key goes last, once the new one holds all of it.
    if (rc == kRegSuccess && moving) rc = DeleteRegKey(p, ClassKeyPath(cls), from);
    if (rc == kRegSuccess) return SaveResult{};
    return SaveResult{rc, PutBack(r, key, cls, device, undo)};
}

int32_t WriteDeviceRecord(const StorePlatform& p, const CashDrawerDevice& d) {
    return SaveDeviceRecord(p, d, std::string(), false).result;
}

int32_t ReadDeviceRecord(const StorePlatform& p, const std::string& cls, const std::string& device,
                         CashDrawerDevice* out) {
    *out = CashDrawerDevice{};
    out->ClassName = cls;
    out->DeviceName = device;
    if (!IsDeviceKey(cls, device)) return kRegInvalidParameter;
    IRegistry& r = *p.registry;
    HeldKey key(r, DeviceKeyPath(cls, device), HeldKey::kRead);
    if (key.result() != kRegSuccess) return key.result();

    QueryOpenKey(r, key.key(), "", kRegSz, &out->SOProgID, nullptr);
    QueryOpenKey(r, key.key(), entry::kDescription, kRegSz, &out->Description, nullptr);
    QueryOpenKey(r, key.key(), entry::kDeviceDesc, kRegSz, &out->DeviceDesc, nullptr);
    QueryOpenKey(r, key.key(), entry::kMaster, kRegSz, &out->Master, nullptr);

    // One receiving variable for all six: a number that cannot be read
    // repeats the one before it.
    int32_t number = 0;
    const struct {
        const char* name;
        int32_t CashDrawerDevice::*field;
    } numbers[] = {
        {entry::kMasterValue, &CashDrawerDevice::MasterValue},
        {entry::kCheckStatusPeriod, &CashDrawerDevice::CheckStatusPeriod},
        {entry::kConnectorPinNo, &CashDrawerDevice::ConnectorPinNo},
        {entry::kOpenStatusPhase, &CashDrawerDevice::OpenStatusPhase},
        {entry::kPulseOnTime, &CashDrawerDevice::PulseOnTime},
        {entry::kTimeout, &CashDrawerDevice::Timeout},
    };
    for (const auto& n : numbers) {
        QueryOpenKey(r, key.key(), n.name, kRegDword, nullptr, &number);
        out->*n.field = number;
    }
    return kRegSuccess;
}

}  // namespace modRegistry
}  // namespace trellup
