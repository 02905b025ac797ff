#include "dispatch_util.h"

#include <algorithm>

namespace opos_bench {

HRESULT LookupNames(const std::vector<NamedId>& table, LPOLESTR* names, UINT count, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i > 0) {
            hr = DISP_E_UNKNOWNNAME;  // no named parameters
            continue;
        }
        auto it = std::find_if(table.begin(), table.end(),
                               [&](const NamedId& m) { return names[i] && lstrcmpiW(m.name, names[i]) == 0; });
        if (it == table.end()) {
            hr = DISP_E_UNKNOWNNAME;
        } else {
            ids[i] = it->id;
        }
    }
    return hr;
}

VARIANT* Args::Raw(UINT i) const {
    if (!p_ || i >= p_->cArgs || !p_->rgvarg) return nullptr;
    return &p_->rgvarg[p_->cArgs - 1 - i];
}

namespace {

bool convert(const VARIANT* in, VARTYPE type, VARIANT* out) {
    if (!in) return false;
    Variant plain;
    if (FAILED(VariantCopyInd(plain.get(), const_cast<VARIANT*>(in)))) return false;
    return SUCCEEDED(VariantChangeType(out, plain.get(), 0, type));
}

}  // namespace

bool Args::Long(UINT i, long* out) const {
    Variant v;
    if (!convert(Raw(i), VT_I4, v.get())) return false;
    *out = v.ref().lVal;
    return true;
}

bool Args::Bool(UINT i, bool* out) const {
    Variant v;
    if (!convert(Raw(i), VT_BOOL, v.get())) return false;
    *out = v.ref().boolVal != VARIANT_FALSE;
    return true;
}

bool Args::String(UINT i, std::wstring* out) const {
    Variant v;
    if (!convert(Raw(i), VT_BSTR, v.get())) return false;
    *out = v.ref().bstrVal ? std::wstring(v.ref().bstrVal, SysStringLen(v.ref().bstrVal)) : std::wstring();
    return true;
}

bool StoreLong(VARIANT* arg, long value) {
    if (!arg) return false;
    if (arg->vt == (VT_BYREF | VT_I4) && arg->plVal) {
        *arg->plVal = value;
        return true;
    }
    if (arg->vt == (VT_BYREF | VT_VARIANT) && arg->pvarVal) {
        VariantClear(arg->pvarVal);
        arg->pvarVal->vt = VT_I4;
        arg->pvarVal->lVal = value;
        return true;
    }
    return false;
}

bool StoreString(VARIANT* arg, const std::wstring& value) {
    if (!arg) return false;
    BSTR s = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    if (!s) return false;
    if (arg->vt == (VT_BYREF | VT_BSTR) && arg->pbstrVal) {
        SysFreeString(*arg->pbstrVal);
        *arg->pbstrVal = s;
        return true;
    }
    if (arg->vt == (VT_BYREF | VT_VARIANT) && arg->pvarVal) {
        VariantClear(arg->pvarVal);
        arg->pvarVal->vt = VT_BSTR;
        arg->pvarVal->bstrVal = s;
        return true;
    }
    SysFreeString(s);
    return false;
}

void SetResultLong(VARIANT* result, long value) {
    if (!result) return;
    VariantClear(result);
    result->vt = VT_I4;
    result->lVal = value;
}

void SetResultBool(VARIANT* result, bool value) {
    if (!result) return;
    VariantClear(result);
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT SetResultString(VARIANT* result, const std::wstring& value) {
    if (!result) return S_OK;
    VariantClear(result);
    BSTR s = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    if (!s) return E_OUTOFMEMORY;
    result->vt = VT_BSTR;
    result->bstrVal = s;
    return S_OK;
}

VARIANT LongArg(long value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT LongRefArg(long* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_I4;
    v.plVal = value;
    return v;
}

VARIANT BstrRefArg(BSTR* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_BSTR;
    v.pbstrVal = value;
    return v;
}

VARIANT BoolArg(bool value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT BstrArg(BSTR value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = value;
    return v;
}

}  // namespace opos_bench
