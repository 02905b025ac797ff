// What a provisioned cash drawer entry must hold before it is written: the
// store's name rules, the record's values with the property dialog's ranges,
// a MasterValue that selects a hardware model, and for MasterValue 99 the
// five hand-set port values.
#include <algorithm>
#include <limits>

#include "common/entry/cash_drawer_entry.h"
#include "text/ascii_case.h"
#include "cmd/provisioning.h"
#include "store/mod_registry.h"

namespace trellup::cmd {
namespace {

namespace entry = common::entry::narrow;

constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();
constexpr int32_t kMinInt = std::numeric_limits<int32_t>::min();

// Registry key names are at most 255 characters.
constexpr size_t kMaxNameLength = 255;
// Trellup reads a text value back only when it is shorter than 255
// characters; longer texts would come back empty.
constexpr size_t kMaxTextLength = 254;

enum class Kind { Text, Number };

struct Rule {
    const char* name;  // the registry's spelling
    Kind kind;
    bool required;
    int32_t min = kMinInt;
    int32_t max = kMaxInt;
};

// The record's values, in the writer's order. DeviceName may be left out:
// the writer takes it from the entry's name.
constexpr Rule kRecordRules[] = {
    {"", Kind::Text, true},
    {entry::kDescription, Kind::Text, true},
    {entry::kDeviceName, Kind::Text, false},
    {entry::kDeviceDesc, Kind::Text, true},
    {entry::kMaster, Kind::Text, true},
    {entry::kCheckStatusPeriod, Kind::Number, true, 1, kMaxInt},
    {entry::kConnectorPinNo, Kind::Number, true},
    {entry::kMasterValue, Kind::Number, true},
    {entry::kOpenStatusPhase, Kind::Number, true, 0, 1},
    {entry::kPulseOnTime, Kind::Number, true, 1, 32767},
    {entry::kTimeout, Kind::Number, true, 1, 32767},
};

// The hand-set values of MasterValue 99: ports are 16-bit, masks one byte
// (0 would read every level as open, wider masks never match), the drive
// phase 0 (active low) or 1 (active high; any other gives no pulse).
constexpr Rule kPortRules[] = {
    {entry::kCdPort, Kind::Number, true, 0, 0xFFFF}, {entry::kCdFire, Kind::Number, true, 1, 0xFF},
    {entry::kCsPort, Kind::Number, true, 0, 0xFFFF}, {entry::kCsStatus, Kind::Number, true, 1, 0xFF},
    {entry::kCdPhase, Kind::Number, true, 0, 1},
};

constexpr int32_t kHandSetMasterValue = 99;

bool KnownMasterValue(int32_t v) { return (v >= 1 && v <= 15) || v == kHandSetMasterValue; }

const EntryValue* Find(const DeviceEntry& e, const char* name) {
    for (const EntryValue& v : e.values) {
        if (SameIgnoringCase(v.name, name)) return &v;
    }
    return nullptr;
}

bool IsRecordValue(const std::string& name) {
    return std::any_of(std::begin(kRecordRules), std::end(kRecordRules),
                       [&](const Rule& r) { return SameIgnoringCase(name, r.name); });
}

std::string FieldName(const std::string& value_name) { return value_name.empty() ? kDefaultValueName : value_name; }

void CheckRule(const DeviceEntry& e, const std::string& label, const Rule& r, std::vector<FileError>* errors) {
    auto fail = [&](std::string message) { errors->push_back({label, FieldName(r.name), std::move(message)}); };
    const EntryValue* v = Find(e, r.name);
    if (v == nullptr) {
        if (r.required) fail("missing");
        return;
    }
    if (r.kind == Kind::Text) {
        if (!v->is_text) fail("must be a text");
        return;
    }
    if (v->is_text) {
        fail("must be a number");
    } else if (v->number < r.min || v->number > r.max) {
        fail(std::to_string(v->number) + " is outside " + std::to_string(r.min) + " to " + std::to_string(r.max));
    }
}

}  // namespace

bool EntryValue::operator==(const EntryValue& o) const {
    return SameIgnoringCase(name, o.name) && is_text == o.is_text && (is_text ? text == o.text : number == o.number);
}

void ValidateEntry(const DeviceEntry& e, const std::string& label, std::vector<FileError>* errors) {
    if (!modRegistry::IsKeyName(e.name)) {
        errors->push_back({label, "name", "must be a key name: not empty, no backslash"});
    } else if (e.name.size() > kMaxNameLength) {
        errors->push_back({label, "name", "longer than " + std::to_string(kMaxNameLength) + " characters"});
    }
    for (const Rule& r : kRecordRules) CheckRule(e, label, r, errors);

    if (const EntryValue* dn = Find(e, entry::kDeviceName); dn != nullptr && dn->is_text && dn->text != e.name) {
        errors->push_back({label, entry::kDeviceName, "must equal the device's name"});
    }
    const EntryValue* mv = Find(e, entry::kMasterValue);
    if (mv != nullptr && !mv->is_text) {
        if (!KnownMasterValue(mv->number)) {
            errors->push_back({label, entry::kMasterValue, std::to_string(mv->number) + " selects no hardware model"});
        } else if (mv->number == kHandSetMasterValue) {
            for (const Rule& r : kPortRules) CheckRule(e, label, r, errors);
        }
    }
    for (const EntryValue& v : e.values) {
        if (SameIgnoringCase(v.name, entry::kDllPath)) {
            errors->push_back({label, v.name, "is the terminal's own: import sets it (--dllpath)"});
        } else if (v.is_text && v.text.size() > kMaxTextLength) {
            errors->push_back(
                {label, FieldName(v.name), "longer than " + std::to_string(kMaxTextLength) + " characters"});
        }
    }
}

std::string CanonicalValueName(const std::string& name) {
    for (const Rule& r : kRecordRules) {
        if (SameIgnoringCase(name, r.name)) return r.name;
    }
    for (const Rule& r : kPortRules) {
        if (SameIgnoringCase(name, r.name)) return r.name;
    }
    return name;
}

CashDrawerDevice RecordOf(const DeviceEntry& e) {
    CashDrawerDevice d;
    d.ClassName = entry::kCashDrawerClass;
    d.DeviceName = e.name;
    auto text = [&](const char* name, std::string* out) {
        if (const EntryValue* v = Find(e, name); v != nullptr && v->is_text) *out = v->text;
    };
    auto number = [&](const char* name, int32_t* out) {
        if (const EntryValue* v = Find(e, name); v != nullptr && !v->is_text) *out = v->number;
    };
    text("", &d.SOProgID);
    text(entry::kDescription, &d.Description);
    text(entry::kDeviceDesc, &d.DeviceDesc);
    text(entry::kMaster, &d.Master);
    number(entry::kMasterValue, &d.MasterValue);
    number(entry::kCheckStatusPeriod, &d.CheckStatusPeriod);
    number(entry::kConnectorPinNo, &d.ConnectorPinNo);
    number(entry::kOpenStatusPhase, &d.OpenStatusPhase);
    number(entry::kPulseOnTime, &d.PulseOnTime);
    number(entry::kTimeout, &d.Timeout);
    return d;
}

std::vector<EntryValue> HandSetValues(const DeviceEntry& e) {
    std::vector<EntryValue> out;
    for (const EntryValue& v : e.values) {
        if (!IsRecordValue(v.name)) out.push_back(v);
    }
    return out;
}

std::string Describe(const FileError& e) {
    std::string s;
    if (!e.device.empty()) s += e.device + ": ";
    if (!e.field.empty()) s += e.field + ": ";
    return s + e.message;
}

}  // namespace trellup::cmd
