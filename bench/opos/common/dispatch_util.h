// IDispatch by name tables and argument handling, for the bench's COM objects
// and for calls they make on other objects by dispatch identifier.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "common/win32/call_by_name.h"
#include "common/win32/variant.h"

namespace opos_bench {

using common::win32::CallById;
using common::win32::Variant;

struct NamedId {
    const wchar_t* name;
    DISPID id;
};

// GetIDsOfNames over a table: names compare without case. Unknown names get
// DISPID_UNKNOWN and the call answers DISP_E_UNKNOWNNAME.
HRESULT LookupNames(const std::vector<NamedId>& table, LPOLESTR* names, UINT count, DISPID* ids);

// Positional arguments of an Invoke, counted from the left. Named arguments
// other than DISPID_PROPERTYPUT are refused by the callers (DISP_E_NONAMEDARGS).
class Args {
public:
    explicit Args(const DISPPARAMS* p) : p_(p) {}
    UINT count() const { return p_ ? p_->cArgs : 0; }
    // Each converts argument `i` (by value or by reference); false when the
    // argument is missing or does not convert. `*out` is written only on success.
    bool Long(UINT i, long* out) const;
    bool Bool(UINT i, bool* out) const;
    bool String(UINT i, std::wstring* out) const;
    // The argument as passed, for by-reference parameters; null when missing.
    VARIANT* Raw(UINT i) const;

private:
    const DISPPARAMS* p_;
};

// Writes a long through a by-reference argument (VT_BYREF|VT_I4 or a
// VT_BYREF|VT_VARIANT); false for any other kind.
bool StoreLong(VARIANT* arg, long value);
// Writes a string through a by-reference argument (VT_BYREF|VT_BSTR or a
// VT_BYREF|VT_VARIANT), freeing the previous one; false otherwise.
bool StoreString(VARIANT* arg, const std::wstring& value);

void SetResultLong(VARIANT* result, long value);
void SetResultBool(VARIANT* result, bool value);
// E_OUTOFMEMORY when the string cannot be allocated.
HRESULT SetResultString(VARIANT* result, const std::wstring& value);

VARIANT LongArg(long value);
// A by-reference argument pointing at caller storage.
VARIANT LongRefArg(long* value);
VARIANT BstrRefArg(BSTR* value);
VARIANT BoolArg(bool value);
// Borrows the string: the VARIANT must not outlive it, nor be cleared.
VARIANT BstrArg(BSTR value);

}  // namespace opos_bench
