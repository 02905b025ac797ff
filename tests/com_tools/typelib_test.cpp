// The type library built by widl and embedded by windres reads back from the
// module with its identity, and the generated header and IIDs link.
#include <windows.h>

#include <gtest/gtest.h>

#include "probe.h"
#include "type_library.h"

using Microsoft::WRL::ComPtr;

namespace com_tools::test {
namespace {

ComPtr<ITypeLib> load_own_type_library() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return EmbeddedTypeLibrary(path);
}

TEST(ComTooling, EmbeddedTypeLibraryKeepsItsIdentity) {
    ComPtr<ITypeLib> lib = load_own_type_library();
    ASSERT_TRUE(lib);
    const GUID libid = {0x5C2B7E10, 0x3F4A, 0x4C1D, {0x9E, 0x21, 0x7A, 0x0B, 0x6C, 0x3D, 0x8E, 0xAC}};
    ExpectLibraryIdentity(lib.Get(), libid, 1, 2, 0);
}

TEST(ComTooling, InterfaceIsDescribedWithItsDispatchIdentifiers) {
    ComPtr<ITypeLib> lib = load_own_type_library();
    ASSERT_TRUE(lib);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_IProbe, &info), S_OK);
    EXPECT_EQ(DispatchIdOf(info.Get(), L"Ping"), 1);
    const GUID iid = {0x5C2B7E10, 0x3F4A, 0x4C1D, {0x9E, 0x21, 0x7A, 0x0B, 0x6C, 0x3D, 0x8E, 0x01}};
    EXPECT_TRUE(IsEqualGUID(IID_IProbe, iid));
}

}  // namespace
}  // namespace com_tools::test
