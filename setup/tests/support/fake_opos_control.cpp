#include "support/fake_opos_control.h"

namespace trellup::test {

std::string Describe(const OposValue& value) {
    switch (value.type()) {
    case OposValue::Type::Bool: return value.bool_value() ? "True" : "False";
    case OposValue::Type::String: return value.string_value();
    case OposValue::Type::Long: break;
    }
    return std::to_string(value.long_value());
}

HResult FakeOposControl::Enter(const std::string& name, const std::string& line) {
    journal_->push_back(class_name_ + "." + line);
    if (create_result_ != kOk) return create_result_;
    auto action = during_.find(name);
    if (action != during_.end()) {
        auto run = std::move(action->second);
        during_.erase(action);
        run();
    }
    auto failure = failures.find(name);
    return failure == failures.end() ? kOk : failure->second;
}

HResult FakeOposControl::Call(const std::string& name, const std::vector<OposValue>& args, OposValue::Type,
                              OposValue* result) {
    std::string line = "Call " + name + "(";
    for (size_t i = 0; i < args.size(); ++i) line += (i ? "," : "") + Describe(args[i]);
    const HResult hr = Enter(name, line + ")");
    if (hr != kOk) return hr;
    auto it = results.find(name);
    *result = OposValue::Long(it == results.end() ? 0 : it->second);
    return kOk;
}

HResult FakeOposControl::Get(const std::string& name, OposValue::Type type, OposValue* value) {
    const HResult hr = Enter(name, "Get " + name);
    if (hr != kOk) return hr;
    auto it = properties.find(name);
    OposValue v = it == properties.end() ? OposValue::Long(0) : it->second;
    // Convert as a dispatcher would: numbers and Booleans into each other.
    if (type == OposValue::Type::Bool && v.type() == OposValue::Type::Long) v = OposValue::Bool(v.long_value() != 0);
    if (type == OposValue::Type::Long && v.type() == OposValue::Type::Bool)
        v = OposValue::Long(v.bool_value() ? -1 : 0);
    if (type == OposValue::Type::String && v.type() != OposValue::Type::String) v = OposValue::String(Describe(v));
    if (type != OposValue::Type::String && v.type() == OposValue::Type::String) return kTypeMismatch;
    *value = v;
    return kOk;
}

HResult FakeOposControl::Put(const std::string& name, const OposValue& value) {
    const HResult hr = Enter(name, "Put " + name + "=" + Describe(value));
    if (hr != kOk) return hr;
    if (read_only.count(name) == 0) properties[name] = value;
    return kOk;
}

std::unique_ptr<IOposControl> FakeOposFactory::Create(const std::string& class_name, IOposEvents* events) {
    journal.push_back("Create " + class_name);
    auto object = std::make_unique<FakeOposControl>(class_name, missing.count(class_name) ? kClassNotRegistered : kOk,
                                                    &journal, events);
    created[class_name] = object.get();
    return object;
}

}  // namespace trellup::test
