// Calls by name: one lookup per name and object, arguments handed over right
// to left, a put's named argument, and what an exception answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/win32/call_by_name.h"
#include "common/win32/variant.h"

namespace common_test {
namespace {

using common::win32::CallById;
using common::win32::DispIdCache;
using common::win32::ExceptionResult;
using common::win32::Variant;

// Knows "Open" (7); records what it was asked. Lives on the test's stack.
class RecordingObject final : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID lcid, DISPID* ids) override {
        lookups.push_back(names[0]);
        looked_up_with = lcid;
        if (lookups.back() != L"Open") return DISP_E_UNKNOWNNAME;
        *ids = 7;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT* result, EXCEPINFO* info, UINT*) override {
        args.clear();
        for (UINT i = 0; i < p->cArgs; ++i) args.push_back(p->rgvarg[i].lVal);
        named = p->cNamedArgs == 1 ? p->rgdispidNamedArgs[0] : 0;
        if (raise != S_OK) {
            info->bstrDescription = SysAllocString(L"raised");
            info->scode = raise;
            return DISP_E_EXCEPTION;
        }
        if (result) {
            result->vt = VT_I4;
            result->lVal = 111;
        }
        return S_OK;
    }

    std::vector<std::wstring> lookups;
    LCID looked_up_with = 0;
    std::vector<long> args;  // as Invoke got them, right to left
    DISPID named = 0;
    HRESULT raise = S_OK;
};

VARIANT Long(long v) {
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_I4;
    x.lVal = v;
    return x;
}

TEST(CallByName, LooksEachKnownNameUpOnce) {
    RecordingObject object;
    DispIdCache ids(LOCALE_SYSTEM_DEFAULT);
    DISPID id = -5;
    for (int i = 0; i < 3; ++i) ASSERT_EQ(ids.IdOf(&object, L"Open", &id), S_OK);
    EXPECT_EQ(id, 7);
    EXPECT_EQ(ids.IdOf(&object, L"Nope", &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids.IdOf(&object, L"Nope", &id), DISP_E_UNKNOWNNAME);  // a failure is not kept
    EXPECT_EQ(object.lookups, (std::vector<std::wstring>{L"Open", L"Nope", L"Nope"}));
    EXPECT_EQ(object.looked_up_with, static_cast<LCID>(LOCALE_SYSTEM_DEFAULT));
    ids.Clear();
    ASSERT_EQ(ids.IdOf(&object, L"Open", &id), S_OK);
    EXPECT_EQ(object.lookups.size(), 4u);
}

TEST(CallByName, HandsArgumentsOverRightToLeft) {
    RecordingObject object;
    Variant result;
    ASSERT_EQ(CallById(&object, 7, DISPATCH_METHOD, {Long(1), Long(2), Long(3)}, result.get()), S_OK);
    EXPECT_EQ(object.args, (std::vector<long>{3, 2, 1}));
    EXPECT_EQ(object.named, 0);
    EXPECT_EQ(result.ref().lVal, 111);
    ASSERT_EQ(CallById(&object, 7, DISPATCH_PROPERTYPUT, {Long(4)}, nullptr), S_OK);
    EXPECT_EQ(object.named, DISPID_PROPERTYPUT);
    EXPECT_EQ(CallById(nullptr, 7, DISPATCH_METHOD, {}, nullptr), E_POINTER);
}

TEST(CallByName, AnExceptionAnswersAsAsked) {
    const struct {
        HRESULT raised;
        ExceptionResult mode;
        HRESULT answer;
    } cases[] = {
        {E_ACCESSDENIED, ExceptionResult::AsIs, DISP_E_EXCEPTION},
        {E_ACCESSDENIED, ExceptionResult::Scode, E_ACCESSDENIED},
        {S_FALSE, ExceptionResult::Scode, DISP_E_EXCEPTION},  // not a failure: kept as raised
    };
    for (const auto& c : cases) {
        RecordingObject object;
        object.raise = c.raised;
        EXPECT_EQ(CallById(&object, 7, DISPATCH_METHOD, {}, nullptr, c.mode), c.answer);
    }
}

}  // namespace
}  // namespace common_test
