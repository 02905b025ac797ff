// Reading an embedded type library back, as late-bound clients do: shared by
// the check of the IDL tooling and the tests of Kestrix.dll's library.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

namespace com_tools::test {

// The type library embedded in `module` (a Windows path); null, after a
// failed expectation, when it does not load.
inline Microsoft::WRL::ComPtr<ITypeLib> EmbeddedTypeLibrary(const wchar_t* module) {
    Microsoft::WRL::ComPtr<ITypeLib> lib;
    EXPECT_EQ(LoadTypeLibEx(module, REGKIND_NONE, &lib), S_OK);
    return lib;
}

// The library's identifier, version and locale read back as given.
inline void ExpectLibraryIdentity(ITypeLib* lib, const GUID& libid, WORD major, WORD minor, LCID lcid) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, libid));
    EXPECT_EQ(attr->wMajorVerNum, major);
    EXPECT_EQ(attr->wMinorVerNum, minor);
    EXPECT_EQ(attr->lcid, lcid);
    lib->ReleaseTLibAttr(attr);
}

// The dispatch identifier `info` gives `name`; -1 (after a failed
// expectation) when it has none.
inline MEMBERID DispatchIdOf(ITypeInfo* info, const wchar_t* name) {
    std::wstring copy = name;
    LPOLESTR names[] = {copy.data()};
    MEMBERID id = -1;
    EXPECT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK) << copy.c_str();
    return id;
}

}  // namespace com_tools::test
