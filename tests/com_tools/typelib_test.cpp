// The type library built by widl and embedded by windres reads back from the
// module with its identity, and the generated header and IIDs link.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "probe.h"

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<ITypeLib> load_own_type_library() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(LoadTypeLibEx(path, REGKIND_NONE, &lib), S_OK);
    return lib;
}

TEST(ComTooling, EmbeddedTypeLibraryKeepsItsIdentity) {
    ComPtr<ITypeLib> lib = load_own_type_library();
    ASSERT_TRUE(lib);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    const GUID libid = {0x5C2B7E10, 0x3F4A, 0x4C1D, {0x9E, 0x21, 0x7A, 0x0B, 0x6C, 0x3D, 0x8E, 0xAC}};
    EXPECT_TRUE(IsEqualGUID(attr->guid, libid));
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 2);
    EXPECT_EQ(attr->lcid, 0u);
    lib->ReleaseTLibAttr(attr);
}

TEST(ComTooling, InterfaceIsDescribedWithItsDispatchIdentifiers) {
    ComPtr<ITypeLib> lib = load_own_type_library();
    ASSERT_TRUE(lib);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_IProbe, &info), S_OK);
    OLECHAR name[] = L"Ping";
    LPOLESTR names[] = {name};
    MEMBERID id = -1;
    ASSERT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK);
    EXPECT_EQ(id, 1);
    const GUID iid = {0x5C2B7E10, 0x3F4A, 0x4C1D, {0x9E, 0x21, 0x7A, 0x0B, 0x6C, 0x3D, 0x8E, 0x01}};
    EXPECT_TRUE(IsEqualGUID(IID_IProbe, iid));
}

}  // namespace
