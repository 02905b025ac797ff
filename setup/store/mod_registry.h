// Registry helpers through which every read and write of a device entry goes.
// Paths are below HKEY_LOCAL_MACHINE; the device key is
// kOposRoot + "\" + class + "\" + device name. Reads and deletions open
// existing keys only and never make one; only the writes make the keys they
// write to. Every function closes what it opened before returning. Results
// are registry results (0 success); no function throws except std::bad_alloc.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/entry/cash_drawer_entry.h"
#include "store/cash_drawer_device.h"
#include "platform/store_platform.h"

namespace trellup {

constexpr const char* kOposRoot = common::entry::narrow::kOposRoot;

namespace modRegistry {

// Whether the store takes `name` as the name of one key: not empty, no
// backslash (a path separator), no NUL. Class and device names that fail it
// are refused by every function below.
bool IsKeyName(const std::string& name);

// "SOFTWARE\OLEforRetail\ServiceOPOS\<cls>".
std::string ClassKeyPath(const std::string& cls);

// "SOFTWARE\OLEforRetail\ServiceOPOS\<cls>\<device>".
std::string DeviceKeyPath(const std::string& cls, const std::string& device);

// Whether the device key exists (opened for reading; nothing is created).
// Names the store refuses give false.
bool DeviceKeyExists(const StorePlatform& p, const std::string& cls, const std::string& device);

// One value of a key as stored: its name, registry type and exact bytes.
struct DeviceValue {
    std::string name;
    uint32_t type = kRegNone;
    std::vector<uint8_t> data;
};

// The names of the subkeys of the key at `path`, in the registry's order;
// the key is opened for reading only. A missing key gives kRegFileNotFound
// and no names.
int32_t SubkeyNames(const StorePlatform& p, const std::string& path, std::vector<std::string>* names);

// Every value of the key at `path`, as stored, in the registry's order; the
// key is opened for reading only. On failure *values holds those read
// before it.
int32_t ReadKeyValues(const StorePlatform& p, const std::string& path, std::vector<DeviceValue>* values);

// The values WriteDeviceRecord writes for `device`, in their order: the
// default value, "Description", "DeviceName", "DeviceDesc", "DllPath" (the
// program folder; left out when `write_dll_path` is false), "Master",
// "CheckStatusPeriod", "ConnectorPinNo",
// "MasterValue", "OpenStatusPhase", "PulseOnTime", "Timeout". Texts are
// REG_SZ (a non-empty text with its terminator, an empty one with no data
// bytes), numbers REG_DWORD (4 bytes little-endian).
std::vector<DeviceValue> RecordValues(const StorePlatform& p, const CashDrawerDevice& device,
                                      bool write_dll_path = true);

// Deletes subkey `subkey` of the existing key at `parent` (opened for
// reading; nothing is made). A key with subkeys of its own is not deleted
// and the call fails. An empty subkey name, or one that is a path, is
// refused with kRegInvalidParameter (the registry would otherwise delete the
// parent itself or a key further down).
int32_t DeleteRegKey(const StorePlatform& p, const std::string& parent, const std::string& subkey);

// Reads value `name` of a device key, opened for reading (a missing key
// is not made: its result is the open's, kRegFileNotFound). Wanted type
// kRegSz: *text receives the text before the first NUL of at most 254
// characters; a failed read, an empty value or a text of 255 characters or
// more gives "". *number is not touched. Wanted type kRegDword: up to 4 bytes
// are read into *number (little-endian, fewer bytes zero-extended); a failed
// read leaves *number as it was. *text is not touched. Either out pointer
// may be null when its type is not wanted. Any other wanted type, or a class
// or device name that is empty or holds a backslash, touches nothing and
// gives kRegInvalidParameter (for kRegSz *text is then "").
int32_t QueryDeviceValue(const StorePlatform& p, const std::string& cls, const std::string& device,
                         const std::string& name, uint32_t wanted_type, std::string* text, int32_t* number);

// Writes REG_SZ: a non-empty text with its terminator, an empty one with no
// data bytes. The device key (and its class key) is made when missing.
// Names as for QueryDeviceValue.
int32_t SetDeviceString(const StorePlatform& p, const std::string& cls, const std::string& device,
                        const std::string& name, const std::string& text);

// Writes REG_DWORD, 4 bytes little-endian.
int32_t SetDeviceDword(const StorePlatform& p, const std::string& cls, const std::string& device,
                       const std::string& name, int32_t number);

// What SaveDeviceRecord did.
struct SaveResult {
    int32_t result = kRegSuccess;  // the first failure, kRegSuccess when all was saved
    // After a failure: true when the registry is as it was before the save;
    // false when undoing failed too, so the target key may hold part of the
    // new entry (the `from` key is then still whole).
    bool restored = true;
};

// Saves `record` to the key of its ClassName and DeviceName as one change:
// all of it, or, when a step fails, nothing: what was written is put back
// as it was, a key the save made is deleted again.
// - `from` "" (or the record's own key in any letter case): the key gets the
//   record's values (RecordValues); other values it holds stay.
// - `from` another device of the class: the entry moves there. The key gets
//   the record's values and every other value of `from`'s key (the hand-set
//   ones the record does not carry), then `from`'s key is deleted. A `from`
//   key that cannot be read, or not deleted (it has a subkey), fails the
//   save.
// - `replace`: values of the key that the saved entry does not carry are
//   removed, so it holds exactly the written entry (writing over another
//   entry). Their names must all be readable (else kRegNoUnicodeTranslation
//   before anything is written).
// - `write_dll_path` false: the record's values leave "DllPath" out, so the
//   key keeps (or a move carries over) the DllPath it has.
// Names the store refuses give kRegInvalidParameter and touch nothing.
SaveResult SaveDeviceRecord(const StorePlatform& p, const CashDrawerDevice& record, const std::string& from,
                            bool replace, bool write_dll_path = true);

// SaveDeviceRecord in place (no `from`, no replace); its result.
int32_t WriteDeviceRecord(const StorePlatform& p, const CashDrawerDevice& device);

// Fills *out from the device key, opened once for reading: ClassName = cls,
// DeviceName = device, the strings from the default value, "Description",
// "DeviceDesc" and "Master"; the six numbers in record order through one
// receiving variable that starts at 0, so a number that cannot be read
// repeats the one read before it. "DllPath" and the "DeviceName" value are
// not read. Returns the result of opening the key: when it fails (the key
// is missing: kRegFileNotFound) *out holds the names, "" and 0s, and nothing
// is made.
int32_t ReadDeviceRecord(const StorePlatform& p, const std::string& cls, const std::string& device,
                         CashDrawerDevice* out);

}  // namespace modRegistry
}  // namespace trellup
