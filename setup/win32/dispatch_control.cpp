#include "dispatch_control.h"

#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "event_sink.h"
#include "win32_util.h"

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

// A VARIANT that clears itself.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* get() { return &v_; }

private:
    VARIANT v_;
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

HRESULT DispatchControl::DispIdOf(const std::string& name, DISPID* id) {
    auto it = ids_.find(name);
    if (it != ids_.end()) {
        *id = it->second;
        return S_OK;
    }
    std::wstring wide = Wide(name);
    LPOLESTR names[] = {wide.data()};
    const HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
    if (SUCCEEDED(hr)) ids_.emplace(name, *id);
    return hr;
}

HRESULT DispatchControl::Invoke(const std::string& name, WORD flags, DISPPARAMS* params, VARIANT* result) {
    if (FAILED(create_result_)) return create_result_;
    DISPID id;
    HRESULT hr = DispIdOf(name, &id);
    if (FAILED(hr)) return hr;
    // The object may be released by an event handler that runs inside this
    // call; hold it until the call has returned.
    ComPtr<IDispatch> object = object_;
    EXCEPINFO excep{};
    UINT arg_error = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, &excep, &arg_error);
    if (hr == DISP_E_EXCEPTION) {
        if (excep.pfnDeferredFillIn != nullptr) excep.pfnDeferredFillIn(&excep);
        if (FAILED(excep.scode)) hr = excep.scode;
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
    return hr;
}

HResult DispatchControl::Call(const std::string& name, const std::vector<OposValue>& args, OposValue::Type type,
                              OposValue* result) {
    // Arguments go in reverse order.
    std::vector<VARIANT> vars(args.size());
    for (VARIANT& v : vars) VariantInit(&v);
    HRESULT hr = S_OK;
    for (size_t i = 0; i < args.size() && SUCCEEDED(hr); ++i) hr = ToVariant(args[i], &vars[args.size() - 1 - i]);
    Variant returned;
    if (SUCCEEDED(hr)) {
        DISPPARAMS params{vars.empty() ? nullptr : vars.data(), nullptr, static_cast<UINT>(vars.size()), 0};
        hr = Invoke(name, DISPATCH_METHOD, &params, returned.get());
    }
    for (VARIANT& v : vars) VariantClear(&v);
    if (FAILED(hr)) return hr;
    return FromVariant(returned.get(), type, result);
}

HResult DispatchControl::Get(const std::string& name, OposValue::Type type, OposValue* value) {
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    Variant returned;
    const HRESULT hr = Invoke(name, DISPATCH_PROPERTYGET, &params, returned.get());
    if (FAILED(hr)) return hr;
    return FromVariant(returned.get(), type, value);
}

HResult DispatchControl::Put(const std::string& name, const OposValue& value) {
    Variant arg;
    HRESULT hr = ToVariant(value, arg.get());
    if (FAILED(hr)) return hr;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{arg.get(), &named, 1, 1};
    return Invoke(name, DISPATCH_PROPERTYPUT, &params, nullptr);
}

std::unique_ptr<IOposControl> DispatchControlFactory::Create(const std::string& class_name, IOposEvents* events) {
    return std::make_unique<DispatchControl>(class_name, FindControlClass(class_name), events);
}

}  // namespace trellup::win32
