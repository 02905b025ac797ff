// The OPOS control objects over COM: each created by its class identifier,
// called by name through IDispatch (each name resolved once with
// GetIDsOfNames), with its events taken through the connection point of its
// class's published event interface. Calls and events happen on the
// utility's thread (a single-threaded apartment).
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32/call_by_name.h"
#include "platform/opos_control.h"

namespace trellup::win32 {

// A control object's class: its device class name, class identifier and
// event interface.
struct ControlClass {
    const char* class_name;
    CLSID clsid;
    IID events;
};

// The four classes, in the order the main window creates them.
const ControlClass* FindControlClass(const std::string& class_name);

class EventSink;

class DispatchControl : public IOposControl {
public:
    // Creates the object of `cls` (none known: REGDB_E_CLASSNOTREG) and
    // connects its events to `events`. Failure to create leaves an object
    // whose every call returns the creation status.
    DispatchControl(std::string class_name, const ControlClass* cls, IOposEvents* events);
    ~DispatchControl() override;
    DispatchControl(const DispatchControl&) = delete;
    DispatchControl& operator=(const DispatchControl&) = delete;

    const std::string& ClassName() const override { return class_name_; }
    HResult CreateResult() const override { return create_result_; }
    HResult EventsResult() const override { return events_result_; }
    HResult Call(const std::string& name, const std::vector<OposValue>& args, OposValue::Type type,
                 OposValue* result) override;
    HResult Get(const std::string& name, OposValue::Type type, OposValue* value) override;
    HResult Put(const std::string& name, const OposValue& value) override;

private:
    // Calls `name` with `args` left to right; the object is held for the
    // call, and an exception it raises answers with its scode.
    HRESULT Invoke(const std::string& name, WORD flags, std::vector<VARIANT> args, VARIANT* result);

    std::string class_name_;
    HResult create_result_;
    HResult events_result_ = kOk;
    Microsoft::WRL::ComPtr<IDispatch> object_;
    Microsoft::WRL::ComPtr<IConnectionPoint> point_;
    Microsoft::WRL::ComPtr<EventSink> sink_;
    DWORD cookie_ = 0;
    common::win32::DispIdCache ids_;
};

class DispatchControlFactory : public IOposControlFactory {
public:
    std::unique_ptr<IOposControl> Create(const std::string& class_name, IOposEvents* events) override;
};

}  // namespace trellup::win32
