// Calling an object's members by name through IDispatch: GetIDsOfNames once
// per name and object, then Invoke by identifier; properties are got and put
// the same way.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <map>
#include <string>
#include <vector>

namespace common::win32 {

// The dispatch identifiers of one object's members, each looked up at its
// first use (one name, null IID, the cache's locale) and kept. A cache serves
// one object: clear it when the object changes.
class DispIdCache {
public:
    explicit DispIdCache(LCID lcid = LOCALE_USER_DEFAULT) : lcid_(lcid) {}

    // *id gets the member's identifier; on failure the object's HRESULT is
    // returned, *id is what GetIDsOfNames left there and nothing is kept.
    HRESULT IdOf(IDispatch* object, const std::wstring& name, DISPID* id);
    void Clear() { ids_.clear(); }

private:
    LCID lcid_;
    std::map<std::wstring, DISPID> ids_;
};

// What a call answers when the member raised an exception (DISP_E_EXCEPTION).
enum class ExceptionResult {
    AsIs,   // DISP_E_EXCEPTION itself
    Scode,  // the exception's scode when it is a failure (after any deferred fill-in)
};

// Invokes `id` on `target` (LOCALE_USER_DEFAULT) with `args` given left to
// right (copied, not owned, not cleared); a put passes DISPID_PROPERTYPUT as
// its named argument. The result, when wanted, lands in *result (cleared
// first). The exception information is always freed.
HRESULT CallById(IDispatch* target, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result,
                 ExceptionResult on_exception = ExceptionResult::AsIs);

}  // namespace common::win32
