// The service object created through COM and driven against the bench:
// through its vtable, through IDispatch by name as a control object calls it,
// and the status event back to a control object's IDispatch.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Kestrix.h"
#include "com_fixture.h"
#include "test_control.h"
#include "ui_automation.h"

using Microsoft::WRL::ComPtr;

namespace kestrix::test {
namespace {

// Owns a BSTR for the length of a test statement.
class Bstr {
public:
    explicit Bstr(const wchar_t* s) : s_(SysAllocString(s)) {}
    ~Bstr() { SysFreeString(s_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return s_; }

private:
    BSTR s_;
};

VARIANT I4(LONG v) {
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_I4;
    x.lVal = v;
    return x;
}

class ServiceObject : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoCreateInstance(CLSID_CashDrawer_SO, nullptr, CLSCTX_INPROC_SERVER, IID_ICashDrawer_SO, &so), S_OK);
        ASSERT_EQ(so.As(&dispatch), S_OK);
    }
    LONG Number(LONG index) {
        LONG v = -12345;
        so->GetPropertyNumber(index, &v);
        return v;
    }
    LONG Open(IDispatch* control) {
        Bstr cls(L"CashDrawer"), name(L"KxWineDrawer");
        LONG rc = -7;
        EXPECT_EQ(so->OpenService(cls.get(), name.get(), control, &rc), S_OK);
        return rc;
    }
    // GetIDsOfNames and Invoke(DISPATCH_METHOD) as a control object calls a
    // service object; `args` in declaration order.
    HRESULT Call(const wchar_t* method, std::vector<VARIANT> args, VARIANT* result) {
        std::wstring name = method;
        LPOLESTR names[] = {name.data()};
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) return hr;
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        VariantInit(result);
        return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, nullptr);
    }
    LONG CallForLong(const wchar_t* method, std::vector<VARIANT> args) {
        VARIANT r;
        EXPECT_EQ(Call(method, std::move(args), &r), S_OK) << method;
        EXPECT_EQ(r.vt, VT_I4) << method;
        return r.lVal;
    }

    Bench bench;
    ComPtr<ICashDrawer_SO> so;
    ComPtr<IDispatch> dispatch;
    TestControl control;
};

TEST(ServiceObjectCreation, ByEitherProgIdAndByClsid) {
    for (const wchar_t* progid : {L"Norvane.CashDrawer.1", L"Norvane.CashDrawer"}) {
        CLSID clsid = IID_NULL;
        ASSERT_EQ(CLSIDFromProgID(progid, &clsid), S_OK) << progid;
        EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_CashDrawer_SO));
        ComPtr<IDispatch> object;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object), S_OK);
    }
    LPOLESTR progid = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_CashDrawer_SO, &progid), S_OK);
    EXPECT_STREQ(progid, L"Norvane.CashDrawer.1");
    CoTaskMemFree(progid);
}

TEST_F(ServiceObject, ResultCodesThroughTheVtable) {
    EXPECT_EQ(Number(6), 101) << "initial ResultCode";
    EXPECT_EQ(Number(9), 1);
    EXPECT_EQ(Number(1), 0);
    EXPECT_EQ(Number(3), 0);
    LONG rc = -7;
    EXPECT_EQ(so->OpenDrawer(&rc), S_OK);
    EXPECT_EQ(rc, 105) << "not enabled";
    EXPECT_EQ(so->SetPropertyNumber(3, 1), S_OK);
    EXPECT_EQ(so->OpenDrawer(&rc), S_OK);
    EXPECT_EQ(rc, 103) << "not claimed";
    EXPECT_EQ(so->SetPropertyNumber(3, 0), S_OK);
    EXPECT_EQ(so->WaitForDrawerClose(0, 0, 0, 0, &rc), S_OK);
    EXPECT_EQ(rc, 101) << "closed";

    Bstr cls(L"CashDrawer"), missing(L"NoSuchDrawer");
    EXPECT_EQ(so->OpenService(cls.get(), missing.get(), &control, &rc), S_OK);
    EXPECT_EQ(rc, 111);
    EXPECT_EQ(Open(&control), 0);
    EXPECT_EQ(Open(&control), 301);
    EXPECT_EQ(Number(6), 301);
    EXPECT_EQ(Number(9), 2);

    EXPECT_EQ(so->ClaimDevice(1000, &rc), S_OK);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(so->ClaimDevice(1000, &rc), S_OK);
    EXPECT_EQ(rc, 102);
    EXPECT_EQ(so->OpenDrawer(&rc), S_OK);
    EXPECT_EQ(rc, 105) << "not enabled";
    EXPECT_EQ(so->SetPropertyNumber(3, 1), S_OK);
    EXPECT_EQ(so->SetPropertyNumber(1, 1), S_FALSE);
    EXPECT_EQ(so->OpenDrawer(&rc), S_OK);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(bench.machine().drawer(0).phase, winio_sim::DrawerPhase::Open);
    EXPECT_EQ(Number(1001), 1) << "DrawerOpened";
    bench.machine().close_drawer(0);
    EXPECT_EQ(so->WaitForDrawerClose(2000, 0, 0, 0, &rc), S_OK);
    EXPECT_EQ(rc, 0);

    EXPECT_EQ(so->CheckHealth(1, &rc), S_OK);
    EXPECT_EQ(rc, 0);
    BSTR text = nullptr;
    EXPECT_EQ(so->GetPropertyString(1000001, &text), S_OK);
    EXPECT_STREQ(text, L"Internal HCheck : Successful");
    SysFreeString(text);
    EXPECT_EQ(so->CheckHealth(7, &rc), S_OK);
    EXPECT_EQ(rc, 106);

    LONG data = 55;
    Bstr io(L"untouched");
    BSTR io_string = io.get();
    EXPECT_EQ(so->DirectIO(1, &data, &io_string, &rc), S_OK);
    EXPECT_EQ(rc, 106);
    EXPECT_EQ(data, 55);
    EXPECT_EQ(io_string, io.get());
    EXPECT_STREQ(io_string, L"untouched");

    LONG number = -7;
    EXPECT_EQ(so->GetPropertyNumber(2, &number), S_OK);
    EXPECT_EQ(number, 0) << "DataEventEnabled reads False";
    EXPECT_EQ(Number(6), 111);
    EXPECT_EQ(Number(5), 111) << "not handled";
    EXPECT_EQ(Number(8), 1005019);

    EXPECT_EQ(so->ReleaseDevice(&rc), S_OK);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(so->ReleaseDevice(&rc), S_OK);
    EXPECT_EQ(rc, 106);
    EXPECT_EQ(so->CloseService(&rc), S_OK);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Number(9), 1);
    EXPECT_EQ(Number(3), 0);
}

TEST_F(ServiceObject, StringsAreNewForEachReadAndLeftAloneOnWrite) {
    ASSERT_EQ(Open(&control), 0);
    BSTR first = nullptr, second = nullptr;
    ASSERT_EQ(so->GetPropertyString(1000003, &first), S_OK);
    ASSERT_EQ(so->GetPropertyString(1000003, &second), S_OK);
    EXPECT_NE(first, second);
    EXPECT_STREQ(first, L"KxWineDrawer");
    EXPECT_EQ(SysStringLen(first), 12u);
    SysFreeString(first);
    EXPECT_STREQ(second, L"KxWineDrawer");
    SysFreeString(second);

    BSTR unhandled = reinterpret_cast<BSTR>(0x1234);
    EXPECT_EQ(so->GetPropertyString(1000005, &unhandled), S_FALSE);
    EXPECT_EQ(unhandled, nullptr);

    Bstr given(L"keep me");
    EXPECT_EQ(so->SetPropertyString(1000001, given.get()), S_OK);
    EXPECT_STREQ(given.get(), L"keep me");
    EXPECT_EQ(SysStringLen(given.get()), 7u);
    EXPECT_EQ(Number(6), 106);
    LONG rc = 0;
    EXPECT_EQ(so->CloseService(&rc), S_OK);
}

TEST_F(ServiceObject, FreezeTrueIsWidenedToMinusOne) {
    LONG rc = -7;
    EXPECT_EQ(so->COFreezeEvents(VARIANT_TRUE, &rc), S_OK);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Number(4), -1);
    EXPECT_EQ(so->COFreezeEvents(VARIANT_FALSE, &rc), S_OK);
    EXPECT_EQ(Number(4), 0);
}

TEST_F(ServiceObject, NullOutParametersAreRefused) {
    EXPECT_EQ(so->ClaimDevice(0, nullptr), E_POINTER);
    EXPECT_EQ(so->GetPropertyNumber(6, nullptr), E_POINTER);
    EXPECT_EQ(so->GetPropertyString(1000001, nullptr), E_POINTER);
    EXPECT_EQ(Number(1), 0) << "nothing was done";
    EXPECT_EQ(Number(6), 101);
}

// Results that the methods once left unwritten have defined values, through
// the vtable (seeded to prove the write) and through IDispatch, where the
// caller only sees what the dispatcher's own temporary holds: a declined
// interactive check gives the unchanged ResultCode, DataEventEnabled 0.
TEST_F(ServiceObject, OnceUnwrittenResultsAreDefinedThroughTheVtableAndIDispatch) {
    ASSERT_EQ(Open(&control), 0);
    LONG rc = -7;
    ASSERT_EQ(so->CheckHealth(7, &rc), S_OK);
    ASSERT_EQ(rc, 106);  // a ResultCode that no default value matches
    for (bool by_name : {false, true}) {
        SCOPED_TRACE(by_name ? "IDispatch" : "vtable");
        kestrix::test::BoxAnswerer no(L"Cash Drawer Chek Health Interactive", IDNO);
        LONG declined = -7;
        if (by_name) {
            declined = CallForLong(L"CheckHealth", {I4(3)});
        } else {
            EXPECT_EQ(so->CheckHealth(3, &declined), S_OK);
        }
        EXPECT_TRUE(no.Join());
        EXPECT_EQ(declined, 106);
        EXPECT_EQ(Number(6), 106) << "ResultCode unchanged";
        LONG data_events = -7;
        if (by_name) {
            data_events = CallForLong(L"GetPropertyNumber", {I4(2)});
        } else {
            EXPECT_EQ(so->GetPropertyNumber(2, &data_events), S_OK);
        }
        EXPECT_EQ(data_events, 0);
        EXPECT_EQ(Number(6), 111);
        ASSERT_EQ(so->CheckHealth(7, &rc), S_OK);
    }
    EXPECT_EQ(so->CloseService(&rc), S_OK);
}

TEST_F(ServiceObject, NoErrorInformationIsEverSet) {
    SetErrorInfo(0, nullptr);
    BSTR s = nullptr;
    EXPECT_EQ(so->GetPropertyString(42, &s), S_FALSE);
    EXPECT_EQ(so->SetPropertyNumber(42, 0), S_FALSE);
    LONG rc = 0;
    EXPECT_EQ(so->ReleaseDevice(&rc), S_OK);
    IErrorInfo* info = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
    EXPECT_EQ(info, nullptr);
}

TEST_F(ServiceObject, DrivenByNameThroughIDispatch) {
    VARIANT r;
    VARIANT open_args[3];
    VariantInit(&open_args[0]);
    open_args[0].vt = VT_BSTR;
    open_args[0].bstrVal = SysAllocString(L"CashDrawer");
    VariantInit(&open_args[1]);
    open_args[1].vt = VT_BSTR;
    open_args[1].bstrVal = SysAllocString(L"KxWineDrawer");
    VariantInit(&open_args[2]);
    open_args[2].vt = VT_DISPATCH;
    open_args[2].pdispVal = &control;
    ASSERT_EQ(Call(L"OpenService", {open_args[0], open_args[1], open_args[2]}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_I4);
    EXPECT_EQ(r.lVal, 0);
    ASSERT_EQ(Call(L"OpenService", {open_args[0], open_args[1], open_args[2]}, &r), S_OK);
    EXPECT_EQ(r.lVal, 301);
    VariantClear(&open_args[0]);
    VariantClear(&open_args[1]);

    EXPECT_EQ(CallForLong(L"ClaimDevice", {I4(1000)}), 0);
    EXPECT_EQ(CallForLong(L"ClaimDevice", {I4(1000)}), 102);
    ASSERT_EQ(Call(L"SetPropertyNumber", {I4(3), I4(1)}, &r), S_OK);
    EXPECT_EQ(CallForLong(L"GetPropertyNumber", {I4(3)}), 1);
    EXPECT_EQ(CallForLong(L"GetPropertyNumber", {I4(9)}), 2);
    EXPECT_EQ(CallForLong(L"GetPropertyNumber", {I4(8)}), 1005019);

    ASSERT_EQ(Call(L"GetPropertyString", {I4(1000002)}, &r), S_OK);
    ASSERT_EQ(r.vt, VT_BSTR);
    EXPECT_STREQ(r.bstrVal, L"Bench drawer");
    VariantClear(&r);

    VARIANT freeze;
    VariantInit(&freeze);
    freeze.vt = VT_BOOL;
    freeze.boolVal = VARIANT_TRUE;
    EXPECT_EQ(CallForLong(L"COFreezeEvents", {freeze}), 0);
    EXPECT_EQ(CallForLong(L"GetPropertyNumber", {I4(4)}), -1);

    // DirectIO's in/out arguments come back as they went.
    LONG data = 9;
    BSTR text = SysAllocString(L"as is");
    BSTR const text_before = text;
    VARIANT by_ref_data, by_ref_text;
    VariantInit(&by_ref_data);
    by_ref_data.vt = VT_BYREF | VT_I4;
    by_ref_data.plVal = &data;
    VariantInit(&by_ref_text);
    by_ref_text.vt = VT_BYREF | VT_BSTR;
    by_ref_text.pbstrVal = &text;
    EXPECT_EQ(CallForLong(L"DirectIO", {I4(5), by_ref_data, by_ref_text}), 106);
    EXPECT_EQ(data, 9);
    EXPECT_EQ(text, text_before);
    EXPECT_STREQ(text, L"as is");
    SysFreeString(text);

    EXPECT_EQ(CallForLong(L"OpenDrawer", {}), 0);
    bench.machine().close_drawer(0);
    EXPECT_EQ(CallForLong(L"WaitForDrawerClose", {I4(2000), I4(0), I4(0), I4(0)}), 0);
    EXPECT_EQ(CallForLong(L"CheckHealth", {I4(2)}), 0);
    EXPECT_EQ(CallForLong(L"ReleaseDevice", {}), 0);
    EXPECT_EQ(CallForLong(L"CloseService", {}), 0);
    EXPECT_EQ(CallForLong(L"GetPropertyNumber", {I4(6)}), 0);

    // A name that is not a method.
    std::wstring bogus = L"OpenTheDrawer";
    LPOLESTR names[] = {bogus.data()};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_IDispatch, names, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(ServiceObject, StatusEventReachesTheControlObjectByName) {
    ASSERT_EQ(Open(&control), 0);
    Sleep(250);  // the monitor's first reading is its reference
    bench.machine().open_by_hand(0);
    ASSERT_TRUE(control.WaitForCalls(1, 3000));
    bench.machine().close_drawer(0);
    ASSERT_TRUE(control.WaitForCalls(2, 3000));
    LONG rc = 0;
    EXPECT_EQ(so->CloseService(&rc), S_OK);

    const auto lookups = control.lookups();
    ASSERT_FALSE(lookups.empty());
    for (const auto& l : lookups) {
        EXPECT_TRUE(IsEqualIID(l.iid, IID_NULL));
        EXPECT_EQ(l.count, 1u);
        EXPECT_EQ(l.name, L"SOStatusUpdate");
        EXPECT_EQ(l.lcid, 0x800u);
    }
    const auto calls = control.calls();
    ASSERT_EQ(calls.size(), 2u);
    const LONG expected[] = {1, 0};
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(calls[i].id, 42);
        EXPECT_TRUE(IsEqualIID(calls[i].iid, IID_NULL));
        EXPECT_EQ(calls[i].lcid, 0x400u);
        EXPECT_EQ(calls[i].flags, DISPATCH_METHOD);
        EXPECT_EQ(calls[i].args, 1u);
        EXPECT_EQ(calls[i].named, 0u);
        EXPECT_EQ(calls[i].vt, VT_I4);
        EXPECT_EQ(calls[i].value, expected[i]);
        EXPECT_TRUE(calls[i].result_given);
    }
}

}  // namespace
}  // namespace kestrix::test
