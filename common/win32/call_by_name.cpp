#include "common/win32/call_by_name.h"

#include <algorithm>

namespace common::win32 {

HRESULT DispIdCache::IdOf(IDispatch* object, const std::wstring& name, DISPID* id) {
    auto it = ids_.find(name);
    if (it != ids_.end()) {
        *id = it->second;
        return S_OK;
    }
    std::wstring copy = name;
    LPOLESTR names[] = {copy.data()};
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, lcid_, id);
    if (SUCCEEDED(hr)) ids_.emplace(name, *id);
    return hr;
}

HRESULT CallById(IDispatch* target, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result,
                 ExceptionResult on_exception) {
    if (target == nullptr) return E_POINTER;
    std::reverse(args.begin(), args.end());  // Invoke takes them right to left
    DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    DISPID put = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    if (result != nullptr) VariantClear(result);
    EXCEPINFO info{};
    UINT bad = 0;
    HRESULT hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, &bad);
    if (hr == DISP_E_EXCEPTION && on_exception == ExceptionResult::Scode) {
        if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
        if (FAILED(info.scode)) hr = info.scode;
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

}  // namespace common::win32
