// How the utility reaches an OPOS control object: members called by name,
// values of three kinds, and the events it raises. The Windows side
// implements IOposControl over the object's IDispatch; tests use fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace trellup {

// A value passed to or returned by a control object: a 32-bit integer, a
// Boolean or a text (in the ANSI code page, as the utility keeps its
// strings).
class OposValue {
public:
    enum class Type { Long, Bool, String };

    OposValue() = default;
    static OposValue Long(int32_t v) { return OposValue(Type::Long, v, false, {}); }
    static OposValue Bool(bool v) { return OposValue(Type::Bool, 0, v, {}); }
    static OposValue String(std::string v) { return OposValue(Type::String, 0, false, std::move(v)); }

    Type type() const { return type_; }
    int32_t long_value() const { return long_; }
    bool bool_value() const { return bool_; }
    const std::string& string_value() const { return string_; }

    bool operator==(const OposValue& o) const {
        return type_ == o.type_ && long_ == o.long_ && bool_ == o.bool_ && string_ == o.string_;
    }

private:
    OposValue(Type t, int32_t l, bool b, std::string s) : type_(t), long_(l), bool_(b), string_(std::move(s)) {}
    Type type_ = Type::Long;
    int32_t long_ = 0;
    bool bool_ = false;
    std::string string_;
};

// COM status codes the utility shows or makes itself.
using HResult = int32_t;
constexpr HResult kOk = 0;
constexpr HResult kClassNotRegistered = static_cast<HResult>(0x80040154);
constexpr HResult kTypeMismatch = static_cast<HResult>(0x80020005);

// "0x80040154": a status as the log shows it.
std::string HexStatus(HResult hr);

// One control object. Every call is made on the utility's thread and may
// run the utility's event handlers before it returns (a service object that
// dispatches messages while it works). A call returns kOk or the failing
// COM status; on failure the out-value is left as it was.
class IOposControl {
public:
    virtual ~IOposControl() = default;

    // The device class the object serves: "CashDrawer", "LineDisplay",
    // "POSPrinter" or "MSR".
    virtual const std::string& ClassName() const = 0;
    // kOk when the object was created; else the status creation failed
    // with, which every call then returns.
    virtual HResult CreateResult() const = 0;
    // kOk when its events reach the utility; else the status connecting
    // them failed with (the object still answers calls).
    virtual HResult EventsResult() const { return kOk; }

    // Calls method `name` with `args`; *result receives its return value
    // converted to `type`.
    virtual HResult Call(const std::string& name, const std::vector<OposValue>& args, OposValue::Type type,
                         OposValue* result) = 0;
    // Reads property `name` converted to `type`.
    virtual HResult Get(const std::string& name, OposValue::Type type, OposValue* value) = 0;
    // Writes property `name`.
    virtual HResult Put(const std::string& name, const OposValue& value) = 0;
};

// The events the utility handles, raised on the utility's thread with the
// object that raised them. `error_response` is the control object's
// by-reference argument; a handler may leave it as it is.
class IOposEvents {
public:
    virtual void OnDataEvent(IOposControl& from, int32_t status) = 0;
    virtual void OnErrorEvent(IOposControl& from, int32_t result_code, int32_t result_code_extended,
                              int32_t error_locus, int32_t* error_response) = 0;
    virtual void OnStatusUpdateEvent(IOposControl& from, int32_t data) = 0;

protected:
    ~IOposEvents() = default;
};

// Creates the control object of a device class and connects its events to
// `events` (which must outlive the object). Never returns null: an object
// that could not be created answers every call with its CreateResult.
class IOposControlFactory {
public:
    virtual std::unique_ptr<IOposControl> Create(const std::string& class_name, IOposEvents* events) = 0;

protected:
    ~IOposControlFactory() = default;
};

}  // namespace trellup
