// The provisioning file's JSON: its shape, read strictly (an unknown field
// is a fault, not something to skip), and written with the values in the
// registry's order.
#include <nlohmann/json.hpp>

#include <limits>

#include "text/ascii_case.h"
#include "cmd/provisioning.h"

namespace trellup::cmd {
namespace {

using Json = nlohmann::ordered_json;

constexpr int64_t kMinValue = std::numeric_limits<int32_t>::min();
constexpr int64_t kMaxValue = std::numeric_limits<uint32_t>::max();

std::string TypeName(const Json& j) {
    switch (j.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::boolean: return "a Boolean";
    case Json::value_t::number_float: return "a fraction";
    case Json::value_t::array: return "a list";
    case Json::value_t::object: return "an object";
    case Json::value_t::string: return "a text";
    default: return "a number";
    }
}

// "parse error at line 3, column 5: ..." without the library's tag.
std::string ParseMessage(const std::string& what) {
    const size_t close = what.find("] ");
    return close != std::string::npos && what.rfind("[json.exception", 0) == 0 ? what.substr(close + 2) : what;
}

// Reads one value of "values"; false (with a fault appended) when its type
// is none the file knows or it does not fit.
bool ReadValue(const std::string& label, const std::string& field, const Json& j, const ITextCodec& codec,
               EntryValue* out, std::vector<FileError>* errors) {
    if (j.is_string()) {
        const std::string& utf8 = j.get_ref<const std::string&>();
        if (utf8.find('\0') != std::string::npos) {
            errors->push_back({label, field, "a text may not hold a NUL character"});
            return false;
        }
        if (!codec.ToAnsi(utf8, &out->text)) {
            errors->push_back({label, field, "holds a character the terminal's code page cannot store"});
            return false;
        }
        out->is_text = true;
        return true;
    }
    if (j.is_number_integer()) {
        const bool fits = j.is_number_unsigned() ? j.get<uint64_t>() <= static_cast<uint64_t>(kMaxValue)
                                                 : j.get<int64_t>() >= kMinValue;
        if (!fits) {
            errors->push_back({label, field, j.dump() + " does not fit 32 bits"});
            return false;
        }
        out->number = static_cast<int32_t>(static_cast<uint32_t>(j.get<int64_t>()));
        return true;
    }
    errors->push_back({label, field, "is " + TypeName(j) + "; a value is a text or a whole number"});
    return false;
}

void ReadDevice(const Json& j, size_t index, const ITextCodec& codec, ProvisioningFile* file,
                std::vector<FileError>* errors) {
    std::string label = "#" + std::to_string(index + 1);
    if (!j.is_object()) {
        errors->push_back({label, "", "is " + TypeName(j) + ", not a device object"});
        return;
    }
    const size_t before = errors->size();
    DeviceEntry entry;
    const auto name = j.find("name");
    if (name == j.end() || !name->is_string()) {
        errors->push_back({label, "name", "missing or not a text"});
    } else {
        label = name->get<std::string>();
        if (!codec.ToAnsi(label, &entry.name)) {
            errors->push_back({label, "name", "holds a character the terminal's code page cannot store"});
        }
    }
    const auto cls = j.find("class");
    if (cls == j.end() || !cls->is_string() || cls->get<std::string>() != "CashDrawer") {
        errors->push_back({label, "class", "must be \"CashDrawer\""});
    }
    for (const auto& item : j.items()) {
        if (item.key() != "name" && item.key() != "class" && item.key() != "values") {
            errors->push_back({label, item.key(), "unknown field"});
        }
    }
    const auto values = j.find("values");
    if (values == j.end() || !values->is_object()) {
        errors->push_back({label, "values", "missing or not an object"});
        return;
    }
    for (const auto& item : values->items()) {
        const std::string& field = item.key();
        if (field.empty()) {
            errors->push_back({label, "\"\"", "the default value is named \"(default)\""});
            continue;
        }
        EntryValue v;
        std::string ansi_name;
        if (field.find('\0') != std::string::npos || !codec.ToAnsi(field, &ansi_name)) {
            errors->push_back({label, field, "is not a value name the registry can hold"});
            continue;
        }
        v.name = ansi_name == kDefaultValueName ? "" : CanonicalValueName(ansi_name);
        if (!ReadValue(label, field, item.value(), codec, &v, errors)) continue;
        for (const EntryValue& seen : entry.values) {
            if (SameIgnoringCase(seen.name, v.name)) {
                errors->push_back({label, field, "given twice (value names ignore letter case)"});
            }
        }
        entry.values.push_back(std::move(v));
    }
    if (errors->size() == before) ValidateEntry(entry, label, errors);
    for (const DeviceEntry& seen : file->devices) {
        if (!entry.name.empty() && SameIgnoringCase(seen.name, entry.name)) {
            errors->push_back({label, "name", "given twice (device names ignore letter case)"});
        }
    }
    file->devices.push_back(std::move(entry));
}

}  // namespace

ReadResult ReadProvisioning(const std::string& text, const ITextCodec& codec) {
    ReadResult r;
    auto unreadable = [&](std::string message) {
        r.unreadable = true;
        r.errors.push_back({"", "", std::move(message)});
        return r;
    };
    Json j;
    try {
        j = Json::parse(text);
    } catch (const Json::exception& e) {
        return unreadable("not JSON: " + ParseMessage(e.what()));
    }
    if (!j.is_object()) return unreadable("the file is " + TypeName(j) + ", not an object");
    for (const auto& item : j.items()) {
        const std::string& k = item.key();
        if (k != "format" && k != "exported_by" && k != "exported_at" && k != "devices") {
            return unreadable("unknown field \"" + k + "\"");
        }
    }
    const auto format = j.find("format");
    if (format == j.end() || !format->is_number_integer() || format->get<int64_t>() != kFormatVersion) {
        return unreadable("\"format\" must be " + std::to_string(kFormatVersion));
    }
    const auto devices = j.find("devices");
    if (devices == j.end() || !devices->is_array()) return unreadable("\"devices\" must be a list");
    if (devices->empty()) return unreadable("\"devices\" is empty: there is nothing to import");
    for (size_t i = 0; i < devices->size(); ++i) ReadDevice((*devices)[i], i, codec, &r.file, &r.errors);
    return r;
}

std::string WriteProvisioning(const std::vector<DeviceEntry>& devices, const ExportInfo& info,
                              const ITextCodec& codec) {
    Json root;
    root["format"] = kFormatVersion;
    root["exported_by"] = info.exported_by;
    root["exported_at"] = info.exported_at;
    Json list = Json::array();
    for (const DeviceEntry& d : devices) {
        Json values = Json::object();
        for (const EntryValue& v : d.values) {
            const std::string name = v.name.empty() ? kDefaultValueName : codec.ToUtf8(v.name);
            if (v.is_text) {
                values[name] = codec.ToUtf8(v.text);
            } else {
                values[name] = v.number;
            }
        }
        Json device;
        device["name"] = codec.ToUtf8(d.name);
        device["class"] = "CashDrawer";
        device["values"] = std::move(values);
        list.push_back(std::move(device));
    }
    root["devices"] = std::move(list);
    return root.dump(2) + "\n";
}

}  // namespace trellup::cmd
