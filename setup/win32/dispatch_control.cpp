#include "dispatch_control.h"

#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "common/win32/variant.h"
#include "event_sink.h"
#include "win32_util.h"

using common::win32::Variant;
using Microsoft::WRL::ComPtr;

namespace trellup::win32 {
namespace {

const ControlClass kClasses[] = {
    {"CashDrawer",
     {0xCCB90042, 0xB81E, 0x11D2, {0xAB, 0x74, 0x00, 0x40, 0x05, 0x4C, 0x37, 0x19}},
     {0xCCB90043, 0xB81E, 0x11D2, {0xAB, 0x74, 0x00, 0x40, 0x05, 0x4C, 0x37, 0x19}}},
    {"LineDisplay",
     {0xCCB90102, 0xB81E, 0x11D2, {0xAB, 0x74, 0x00, 0x40, 0x05, 0x4C, 0x37, 0x19}},
     {0xCCB90103, 0xB81E, 0x11D2, {0xAB, 0x74, 0x00, 0x40, 0x05, 0x4C, 0x37, 0x19}}},
    {"POSPrinter",
     {0xCCB90152, 0xB81E, 0x11D2, {0xAB, 0x74, 0x00, 0x40, 0x05, 0x4C, 0x37, 0x19}},
     {0xCCB90153, 0xB81E, 0x11D2, {0xAB, 0x74, 0x00, 0x40, 0x05, 0x4C, 0x37, 0x19}}},
    {"MSR",
     {0xCCB90122, 0xB81E, 0x11D2, {0xAB, 0x74, 0x00, 0x40, 0x05, 0x4C, 0x37, 0x19}},
     {0xCCB90123, 0xB81E, 0x11D2, {0xAB, 0x74, 0x00, 0x40, 0x05, 0x4C, 0x37, 0x19}}},
};

// Fills `out` (already initialised) with `value`. Booleans go as
// VARIANT_BOOL, texts as BSTR.
HRESULT ToVariant(const OposValue& value, VARIANT* out) {
    switch (value.type()) {
    case OposValue::Type::Long:
        out->vt = VT_I4;
        out->lVal = value.long_value();
        return S_OK;
    case OposValue::Type::Bool:
        out->vt = VT_BOOL;
        out->boolVal = value.bool_value() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case OposValue::Type::String: {
        const std::wstring text = Wide(value.string_value());
        out->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (out->bstrVal == nullptr) return E_OUTOFMEMORY;
        out->vt = VT_BSTR;
        return S_OK;
    }
    }
    return E_INVALIDARG;
}

// Converts a returned VARIANT to the type the caller relies on.
HRESULT FromVariant(VARIANT* in, OposValue::Type type, OposValue* out) {
    const VARTYPE vt = type == OposValue::Type::Long ? VT_I4 : type == OposValue::Type::Bool ? VT_BOOL : VT_BSTR;
    Variant converted;
    const HRESULT hr = VariantChangeType(converted.get(), in, 0, vt);
    if (FAILED(hr)) return hr;
    VARIANT* v = converted.get();
    switch (type) {
    case OposValue::Type::Long: *out = OposValue::Long(v->lVal); break;
    case OposValue::Type::Bool: *out = OposValue::Bool(v->boolVal != VARIANT_FALSE); break;
    case OposValue::Type::String:
        *out = OposValue::String(v->bstrVal != nullptr ? Narrow(v->bstrVal, static_cast<int>(SysStringLen(v->bstrVal)))
                                                       : std::string());
        break;
    }
    return S_OK;
}

}  // namespace

const ControlClass* FindControlClass(const std::string& class_name) {
    for (const ControlClass& c : kClasses) {
        if (class_name == c.class_name) return &c;
    }
    return nullptr;
}

DispatchControl::DispatchControl(std::string class_name, const ControlClass* cls, IOposEvents* events)
    : class_name_(std::move(class_name)), create_result_(REGDB_E_CLASSNOTREG) {
    if (cls != nullptr) create_result_ = CoCreateInstance(cls->clsid, nullptr, CLSCTX_SERVER, IID_PPV_ARGS(&object_));
    if (FAILED(create_result_)) {
        object_.Reset();
        return;
    }
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = object_.As(&container);
    if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(cls->events, &point_);
    if (SUCCEEDED(hr)) {
        sink_ = EventSink::Create(cls->events, events, this);
        hr = sink_ != nullptr ? point_->Advise(sink_.Get(), &cookie_) : E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        events_result_ = hr;
        if (sink_ != nullptr) sink_->Detach();
        sink_.Reset();
        point_.Reset();
    }
}

DispatchControl::~DispatchControl() {
    if (sink_ != nullptr) sink_->Detach();
    if (point_ != nullptr && cookie_ != 0) point_->Unadvise(cookie_);
}

HRESULT DispatchControl::Invoke(const std::string& name, WORD flags, std::vector<VARIANT> args, VARIANT* result) {
    if (FAILED(create_result_)) return create_result_;
    DISPID id;
    const HRESULT hr = ids_.IdOf(object_.Get(), Wide(name), &id);
    if (FAILED(hr)) return hr;
    // The object may be released by an event handler that runs inside this
    // call; hold it until the call has returned.
    ComPtr<IDispatch> object = object_;
    return common::win32::CallById(object.Get(), id, flags, std::move(args), result,
                                   common::win32::ExceptionResult::Scode);
}

HResult DispatchControl::Call(const std::string& name, const std::vector<OposValue>& args, OposValue::Type type,
                              OposValue* result) {
    std::vector<VARIANT> vars(args.size());
    for (VARIANT& v : vars) VariantInit(&v);
    HRESULT hr = S_OK;
    for (size_t i = 0; i < args.size() && SUCCEEDED(hr); ++i) hr = ToVariant(args[i], &vars[i]);
    Variant returned;
    if (SUCCEEDED(hr)) hr = Invoke(name, DISPATCH_METHOD, vars, returned.get());
    for (VARIANT& v : vars) VariantClear(&v);
    if (FAILED(hr)) return hr;
    return FromVariant(returned.get(), type, result);
}

HResult DispatchControl::Get(const std::string& name, OposValue::Type type, OposValue* value) {
    Variant returned;
    const HRESULT hr = Invoke(name, DISPATCH_PROPERTYGET, {}, returned.get());
    if (FAILED(hr)) return hr;
    return FromVariant(returned.get(), type, value);
}

HResult DispatchControl::Put(const std::string& name, const OposValue& value) {
    Variant arg;
    HRESULT hr = ToVariant(value, arg.get());
    if (FAILED(hr)) return hr;
    return Invoke(name, DISPATCH_PROPERTYPUT, {*arg.get()}, nullptr);
}

std::unique_ptr<IOposControl> DispatchControlFactory::Create(const std::string& class_name, IOposEvents* events) {
    return std::make_unique<DispatchControl>(class_name, FindControlClass(class_name), events);
}

}  // namespace trellup::win32
