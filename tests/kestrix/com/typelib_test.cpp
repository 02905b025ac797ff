// The type library embedded in Kestrix.dll: identity, members and help
// strings as late-bound clients and control objects read them.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "Kestrix.h"
#include "com_fixture.h"
#include "type_library.h"

using Microsoft::WRL::ComPtr;

namespace kestrix::test {
namespace {

const GUID kLibid = {0x8DA3BAF9, 0x6840, 0x4F9A, {0x83, 0xE0, 0x84, 0xA5, 0xAC, 0xBB, 0xDC, 0xAC}};
const GUID kClsid = {0xED8E9135, 0xBECA, 0x458A, {0xA3, 0x17, 0x74, 0xC4, 0x83, 0x97, 0x08, 0x9C}};
const GUID kIid = {0x7EDCD58A, 0xB0FC, 0x4E20, {0xAC, 0xE7, 0x35, 0xD7, 0x8B, 0x3C, 0x37, 0x54}};
const GUID kEventsIid = {0x9DBC441E, 0xE9FF, 0x4130, {0x8C, 0xBF, 0x10, 0x92, 0xB9, 0x9B, 0x76, 0x34}};

using com_tools::test::DispatchIdOf;
using com_tools::test::ExpectLibraryIdentity;

ComPtr<ITypeLib> EmbeddedLibrary() { return com_tools::test::EmbeddedTypeLibrary(KestrixDll().c_str()); }

TEST(KestrixTypeLibrary, IdentityVersionAndLocaleReadBack) {
    ComPtr<ITypeLib> lib = EmbeddedLibrary();
    ASSERT_TRUE(lib);
    ExpectLibraryIdentity(lib.Get(), kLibid, 1, 0, 1033);
    BSTR name = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"KestrixLib");
    SysFreeString(name);
    EXPECT_EQ(lib->GetTypeInfoCount(), 3u);
    // The generated identifiers agree with the published ones.
    EXPECT_TRUE(IsEqualGUID(LIBID_KestrixLib, kLibid));
    EXPECT_TRUE(IsEqualGUID(CLSID_CashDrawer_SO, kClsid));
    EXPECT_TRUE(IsEqualGUID(IID_ICashDrawer_SO, kIid));
    EXPECT_TRUE(IsEqualGUID(DIID__ICashDrawer_SOEvents, kEventsIid));
}

TEST(KestrixTypeLibrary, MethodsHaveTheirDispatchIdentifiersAndHelpStrings) {
    ComPtr<ITypeLib> lib = EmbeddedLibrary();
    ASSERT_TRUE(lib);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(kIid, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attr);
    const wchar_t* methods[] = {L"COFreezeEvents",    L"GetPropertyNumber", L"SetPropertyNumber", L"GetPropertyString",
                                L"SetPropertyString", L"OpenService",       L"CheckHealth",       L"ClaimDevice",
                                L"CloseService",      L"DirectIO",          L"ReleaseDevice",     L"OpenDrawer",
                                L"WaitForDrawerClose"};
    for (MEMBERID expected = 0; expected < 13; ++expected) {
        const std::wstring name = methods[expected];
        const MEMBERID id = DispatchIdOf(info.Get(), name.c_str());
        ASSERT_EQ(id, expected) << name.c_str();
        BSTR help = nullptr;
        ASSERT_EQ(info->GetDocumentation(id, nullptr, &help, nullptr, nullptr), S_OK);
        EXPECT_EQ(std::wstring(help), L"method " + name);
        SysFreeString(help);
    }
}

TEST(KestrixTypeLibrary, ParameterDirectionsOfDirectIO) {
    ComPtr<ITypeLib> lib = EmbeddedLibrary();
    ASSERT_TRUE(lib);
    ComPtr<ITypeInfo> dispatch_info, info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(kIid, &dispatch_info), S_OK);
    HREFTYPE vtable_ref = 0;
    ASSERT_EQ(dispatch_info->GetRefTypeOfImplType(-1, &vtable_ref), S_OK);
    ASSERT_EQ(dispatch_info->GetRefTypeInfo(vtable_ref, &info), S_OK);
    // DirectIO: the tenth method after IDispatch's seven.
    FUNCDESC* f = nullptr;
    ASSERT_EQ(info->GetFuncDesc(9, &f), S_OK);
    EXPECT_EQ(f->memid, 9);
    ASSERT_EQ(f->cParams, 4);
    EXPECT_EQ(f->lprgelemdescParam[0].paramdesc.wParamFlags, PARAMFLAG_FIN);
    EXPECT_EQ(f->lprgelemdescParam[1].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
    EXPECT_EQ(f->lprgelemdescParam[1].tdesc.lptdesc->vt, VT_I4);
    EXPECT_EQ(f->lprgelemdescParam[2].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
    EXPECT_EQ(f->lprgelemdescParam[2].tdesc.lptdesc->vt, VT_BSTR);
    EXPECT_EQ(f->lprgelemdescParam[3].paramdesc.wParamFlags, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
    info->ReleaseFuncDesc(f);
}

TEST(KestrixTypeLibrary, CoclassNamesTheDualAndTheSourceInterface) {
    ComPtr<ITypeLib> lib = EmbeddedLibrary();
    ASSERT_TRUE(lib);
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(kClsid, &coclass), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    ASSERT_EQ(attr->cImplTypes, 2);
    coclass->ReleaseTypeAttr(attr);
    const GUID* expected[] = {&kIid, &kEventsIid};
    const INT flags[] = {IMPLTYPEFLAG_FDEFAULT, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE};
    for (UINT i = 0; i < 2; ++i) {
        INT f = 0;
        ASSERT_EQ(coclass->GetImplTypeFlags(i, &f), S_OK);
        EXPECT_EQ(f, flags[i]);
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> target;
        ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &ref), S_OK);
        ASSERT_EQ(coclass->GetRefTypeInfo(ref, &target), S_OK);
        ASSERT_EQ(target->GetTypeAttr(&attr), S_OK);
        EXPECT_TRUE(IsEqualGUID(attr->guid, *expected[i]));
        if (i == 1) {
            EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
            EXPECT_EQ(attr->cFuncs, 0);
            EXPECT_EQ(attr->cVars, 0);
        }
        target->ReleaseTypeAttr(attr);
    }
}

}  // namespace
}  // namespace kestrix::test
