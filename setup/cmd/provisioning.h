// The provisioning file: cash drawer device entries as UTF-8 JSON, readable
// and editable by a person. Reading validates the whole file against the
// store's rules before anything is written; writing turns entries read from
// the registry into that file. Pure functions over strings: no registry, no
// Windows header.
//
//   {
//     "format": 1,
//     "exported_by": "TrellupCmd 1.0.0.0",
//     "exported_at": "2025-06-01T08:30:00Z",
//     "devices": [
//       { "name": "Front", "class": "CashDrawer",
//         "values": { "(default)": "Kestrix.CashDrawer", "MasterValue": 8, ... } }
//     ]
//   }
//
// A value is a JSON string (a REG_SZ value) or a JSON integer (a REG_DWORD
// value, written in decimal, negative numbers as the signed 32-bit reading).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/cash_drawer_device.h"

namespace trellup::cmd {

constexpr int kFormatVersion = 1;
constexpr const char* kDefaultValueName = "(default)";  // the key's default value, as regedit names it
// Larger files are refused unread: a thousand devices take about 600 KB.
constexpr uint64_t kMaxFileBytes = 8u * 1024 * 1024;

// Converts between the file's UTF-8 and the registry's ANSI code page.
class ITextCodec {
public:
    virtual ~ITextCodec() = default;
    // False when `utf8` holds a character the code page cannot hold
    // exactly; *ansi is then unspecified.
    virtual bool ToAnsi(const std::string& utf8, std::string* ansi) const = 0;
    virtual std::string ToUtf8(const std::string& ansi) const = 0;
};

// One value of a device key, as the registry holds it (ANSI text).
struct EntryValue {
    std::string name;  // "" is the default value
    bool is_text = false;
    std::string text;    // REG_SZ: the characters before the first NUL
    int32_t number = 0;  // REG_DWORD

    bool operator==(const EntryValue& o) const;
};

// One cash drawer device entry: the key's name and its values (DllPath never
// among them).
struct DeviceEntry {
    std::string name;
    std::vector<EntryValue> values;
};

// A file read and validated. `devices` holds the entries in file order,
// names and texts in ANSI, value names in the registry's spelling of the
// record ("Timeout") when they name a record value.
struct ProvisioningFile {
    std::vector<DeviceEntry> devices;
};

// One fault of a file, in UTF-8 as the file spells it. `device` is empty for
// a fault of the whole file ("#3" for a device without a usable name);
// `field` is empty for a fault of the whole device.
struct FileError {
    std::string device;
    std::string field;
    std::string message;
};

// Outcome of ReadProvisioning: file-level faults (not JSON, wrong shape,
// unknown format, no devices) set `unreadable`; each device's faults are
// listed with its name and field. Nothing may be written unless `errors`
// is empty.
struct ReadResult {
    ProvisioningFile file;
    bool unreadable = false;
    std::vector<FileError> errors;
};

ReadResult ReadProvisioning(const std::string& json_text, const ITextCodec& codec);

// Checks one entry against the store's rules and the property dialog's
// ranges; appends its faults to *errors, naming the device `label` (its
// name as the file spells it).
void ValidateEntry(const DeviceEntry& entry, const std::string& label, std::vector<FileError>* errors);

// The registry's spelling of a record or port value's name ("Timeout" for
// "TIMEOUT"); any other name as given.
std::string CanonicalValueName(const std::string& name);

// The record the property dialog's writer takes for a validated entry:
// ClassName "CashDrawer", DeviceName the entry's name, the rest from the
// values of the record's names.
CashDrawerDevice RecordOf(const DeviceEntry& entry);
// The entry's values that the record does not carry (the hand-set port
// values and any other), in file order.
std::vector<EntryValue> HandSetValues(const DeviceEntry& entry);

// Who wrote a file and when.
struct ExportInfo {
    std::string exported_by;  // "TrellupCmd 1.0.0.0"
    std::string exported_at;  // ISO 8601, UTC
};

// The file for `devices` (ANSI texts converted with `codec`), indented by
// two spaces, with a final line end.
std::string WriteProvisioning(const std::vector<DeviceEntry>& devices, const ExportInfo& info, const ITextCodec& codec);

// "Front: Timeout: ..." as the reports print a fault.
std::string Describe(const FileError& e);

}  // namespace trellup::cmd
