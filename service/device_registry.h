// Reader of a cash drawer's device entry in the key store.
#pragma once

#include <cstdint>
#include <string>

#include "common/entry/cash_drawer_entry.h"
#include "platform.h"

namespace kestrix {

// The entry's names as the core spells them.
namespace entry = common::entry::utf16;

// Holds the class key and the device key from their opening until
// CloseKeys or destruction. Used on the apartment thread only.
//
// Read operations result: 0 read; 1 the value is missing, unreadable or too
// large for its buffer; 2 the class key is not open; 3 the device key is not
// open (tested in that order). On any nonzero result the destination is left
// as it was.
class CDeviceRegistry {
public:
    static constexpr const char16_t* kClassKeyPath = entry::kCashDrawerKey;
    // Longest string a read delivers, and longest device key path opened.
    static constexpr size_t kMaxChars = 1023;

    // `store` is not owned and must outlive the reader.
    explicit CDeviceRegistry(IKeyStore* store) : store_(store) {}
    ~CDeviceRegistry() { CloseKeys(); }
    CDeviceRegistry(const CDeviceRegistry&) = delete;
    CDeviceRegistry& operator=(const CDeviceRegistry&) = delete;

    // Opens the class key (read access). 0 or 1. A key held from an earlier
    // call is closed first, so reopening never leaks a handle.
    int32_t OpenClassKey();
    // Opens "<class key path>\<deviceName>". 0 or 1. Fails without opening
    // anything when the path would exceed kMaxChars characters (it is never
    // cut short into another key's path) or the name is null.
    int32_t OpenDeviceKey(const char16_t* deviceName);

    // Strings: the value's bytes (any type) are queried into a 4096-byte
    // buffer and copied up to the first terminator, at most kMaxChars
    // characters; a value without terminator ends where its data ends.
    int32_t ReadDllPath(std::u16string* out) { return ReadString(entry::kDllPath, out); }
    int32_t ReadDescription(std::u16string* out) { return ReadString(entry::kDescription, out); }
    int32_t ReadDeviceName(std::u16string* out) { return ReadString(entry::kDeviceName, out); }
    int32_t ReadDeviceDesc(std::u16string* out) { return ReadString(entry::kDeviceDesc, out); }

    // Numbers: the value's bytes (any type) are queried into a 4-byte buffer
    // and taken as a little-endian 32-bit integer. A value of fewer than 4
    // bytes is zero-extended (its missing high bytes read as 0); one of more
    // than 4 bytes fails with 1.
    int32_t ReadPulseOnTime(int32_t* out) { return ReadNumber(entry::kPulseOnTime, out); }
    int32_t ReadOpenStatusPhase(int32_t* out) { return ReadNumber(entry::kOpenStatusPhase, out); }
    int32_t ReadConnectorPinNo(int32_t* out) { return ReadNumber(entry::kConnectorPinNo, out); }
    int32_t ReadTimeOut(int32_t* out) { return ReadNumber(entry::kTimeoutAsRead, out); }
    int32_t ReadCheckStatusPeriod(int32_t* out) { return ReadNumber(entry::kCheckStatusPeriod, out); }
    int32_t ReadMasterValue(int32_t* out) { return ReadNumber(entry::kMasterValue, out); }
    int32_t ReadCdPort(int32_t* out) { return ReadNumber(entry::kCdPort, out); }
    int32_t ReadCdFire(int32_t* out) { return ReadNumber(entry::kCdFire, out); }
    int32_t ReadCsPort(int32_t* out) { return ReadNumber(entry::kCsPort, out); }
    int32_t ReadCsStatus(int32_t* out) { return ReadNumber(entry::kCsStatus, out); }
    int32_t ReadCdPhase(int32_t* out) { return ReadNumber(entry::kCdPhase, out); }

    // Closes the device key, then the class key.
    void CloseKeys();

private:
    int32_t CheckKeys() const;
    int32_t ReadString(const char16_t* name, std::u16string* out);
    int32_t ReadNumber(const char16_t* name, int32_t* out);
    void Close(IKeyStore::Key* key);

    IKeyStore* store_;
    IKeyStore::Key class_key_ = 0;
    IKeyStore::Key device_key_ = 0;
};

}  // namespace kestrix
