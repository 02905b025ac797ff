#include "dispatch_control.h"

#include <oleauto.h>

namespace kestrix::com {

namespace {
constexpr LCID kLookupLocale = 0x0800;
constexpr LCID kInvokeLocale = 0x0400;
}  // namespace

bool DispatchControlObject::LookupStatusUpdate(int32_t* dispid) {
    IDispatch* const target = dispatch_.load();
    if (target == nullptr) return false;
    OLECHAR name[] = L"SOStatusUpdate";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(target->GetIDsOfNames(IID_NULL, names, 1, kLookupLocale, &id))) return false;
    *dispid = id;
    return true;
}

void DispatchControlObject::InvokeStatusUpdate(int32_t dispid, int32_t status) {
    IDispatch* const target = dispatch_.load();
    if (target == nullptr) return;
    VARIANTARG arg;
    VariantInit(&arg);
    arg.vt = VT_I4;
    arg.lVal = status;
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    target->Invoke(dispid, IID_NULL, kInvokeLocale, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
    VariantClear(&result);
}

}  // namespace kestrix::com
