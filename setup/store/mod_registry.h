// Registry helpers through which every read and write of a device entry goes.
// Paths are below HKEY_LOCAL_MACHINE; the device key is
// kOposRoot + "\" + class + "\" + device name. Every function opens the key it
// works on with create semantics (a missing key is made) and closes it before
// returning. Results are registry results (0 success); no function throws
// except std::bad_alloc.
#pragma once

#include <cstdint>
#include <string>

#include "store/cash_drawer_device.h"
#include "store/store_platform.h"

namespace trellup {

constexpr const char* kOposRoot = "SOFTWARE\\OLEforRetail\\ServiceOPOS";

namespace modRegistry {

// Whether the store takes `name` as the name of one key: not empty, no
// backslash (a path separator), no NUL. Class and device names that fail it
// are refused by every function below.
bool IsKeyName(const std::string& name);

// "SOFTWARE\OLEforRetail\ServiceOPOS\<cls>\<device>".
std::string DeviceKeyPath(const std::string& cls, const std::string& device);

// Whether the device key exists (opened for reading; nothing is created).
// Names the store refuses give false.
bool DeviceKeyExists(const StorePlatform& p, const std::string& cls, const std::string& device);

// Copies every value of device key `from` that device key `to` does not
// hold (the hand-set values a record does not carry), with its type and
// bytes. Stops at the first failure and returns it; kRegSuccess when all
// were copied or there were none. Both keys are of class `cls`.
int32_t CopyMissingValues(const StorePlatform& p, const std::string& cls, const std::string& from,
                          const std::string& to);

// Deletes subkey `subkey` of the key at `parent`. A key with subkeys of its
// own is not deleted and the call fails. An empty subkey name, or one that
// is a path, is refused with kRegInvalidParameter (the registry would
// otherwise delete the parent itself or a key further down).
int32_t DeleteRegKey(const StorePlatform& p, const std::string& parent, const std::string& subkey);

// Reads value `name` of a device key. Wanted type kRegSz: *text receives the
// text before the first NUL of at most 254 characters; a failed read, an
// empty value or a text of 255 characters or more gives "". *number is not
// touched. Wanted type kRegDword: up to 4 bytes are read into *number
// (little-endian, fewer bytes zero-extended); a failed read leaves *number
// as it was. *text is not touched. Either out pointer may be null when its
// type is not wanted. Any other wanted type, or a class or device name that
// is empty or holds a backslash, touches nothing and gives
// kRegInvalidParameter (for kRegSz *text is then "").
int32_t QueryDeviceValue(const StorePlatform& p, const std::string& cls, const std::string& device,
                         const std::string& name, uint32_t wanted_type, std::string* text,
                         int32_t* number);

// Writes REG_SZ: a non-empty text with its terminator, an empty one with no
// data bytes. Names as for QueryDeviceValue.
int32_t SetDeviceString(const StorePlatform& p, const std::string& cls, const std::string& device,
                        const std::string& name, const std::string& text);

// Writes REG_DWORD, 4 bytes little-endian.
int32_t SetDeviceDword(const StorePlatform& p, const std::string& cls, const std::string& device,
                       const std::string& name, int32_t number);

// Writes the whole record to the key of its ClassName and DeviceName: the
// default value, "Description", "DeviceName", "DeviceDesc", "DllPath" (the
// program folder; left as the entry has it when `write_dll_path` is false),
// "Master", "CheckStatusPeriod", "ConnectorPinNo", "MasterValue",
// "OpenStatusPhase", "PulseOnTime", "Timeout", in that order. A failed write
// does not stop the later ones; the result is that of the last ("Timeout").
int32_t WriteDeviceRecord(const StorePlatform& p, const CashDrawerDevice& device, bool write_dll_path = true);

// Fills *out from the device key: ClassName = cls, DeviceName = device, the
// strings from the default value, "Description", "DeviceDesc" and "Master";
// the six numbers in record order through one receiving variable that starts
// at 0, so a number that cannot be read repeats the one read before it.
// "DllPath" and the "DeviceName" value are not read.
void ReadDeviceRecord(const StorePlatform& p, const std::string& cls, const std::string& device,
                      CashDrawerDevice* out);

}  // namespace modRegistry
}  // namespace trellup
