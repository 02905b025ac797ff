// A scripted OPOS control object and factory for the forms' tests. The
// object records every call as one line of a shared journal ("CashDrawer.Get
// DeviceEnabled", "CashDrawer.Call Open(NVCD1)", "CashDrawer.Put
// DeviceEnabled=True"), answers properties from a table and methods from a
// table of result codes, fails named members with a chosen status, and can
// run an action in the middle of a call (an event raised while a command
// runs).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/opos_control.h"

namespace trellup::test {

class FakeOposControl : public IOposControl {
public:
    FakeOposControl(std::string class_name, HResult create_result, std::vector<std::string>* journal,
                    IOposEvents* events)
        : class_name_(std::move(class_name)), create_result_(create_result), journal_(journal), events_(events) {}

    const std::string& ClassName() const override { return class_name_; }
    HResult CreateResult() const override { return create_result_; }
    HResult Call(const std::string& name, const std::vector<OposValue>& args, OposValue::Type type,
                 OposValue* result) override;
    HResult Get(const std::string& name, OposValue::Type type, OposValue* value) override;
    HResult Put(const std::string& name, const OposValue& value) override;

    // Test side.
    std::map<std::string, OposValue> properties;  // missing: Long 0
    std::map<std::string, int32_t> results;       // method results; missing: 0
    std::map<std::string, HResult> failures;      // member name -> status of every call to it
    // Runs once, inside the next call to member `name`, before it returns.
    void During(const std::string& name, std::function<void()> action) { during_[name] = std::move(action); }
    // Puts that set no property (a control object that refuses a value).
    std::set<std::string> read_only;
    IOposEvents* events() const { return events_; }

private:
    HResult Enter(const std::string& name, const std::string& line);

    std::string class_name_;
    HResult create_result_;
    std::vector<std::string>* journal_;
    IOposEvents* events_;
    std::map<std::string, std::function<void()>> during_;
};

// Creates FakeOposControls that share one journal; classes listed in
// `missing` are created as unavailable with kClassNotRegistered.
class FakeOposFactory : public IOposControlFactory {
public:
    std::unique_ptr<IOposControl> Create(const std::string& class_name, IOposEvents* events) override;

    std::set<std::string> missing;
    std::vector<std::string> journal;
    std::map<std::string, FakeOposControl*> created;  // by class; owned by the form
};

// "True", "False", the decimal number or the text.
std::string Describe(const OposValue& value);

}  // namespace trellup::test
