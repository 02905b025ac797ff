// Registration by the system's regsvr32, read back from the registry:
// machine-wide, per user through DllInstall, twice, and undone.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "com_fixture.h"
#include "registry_read.h"

namespace kestrix_com_test {
namespace {

const std::wstring kClassKey = L"CLSID\\{ED8E9135-BECA-458A-A317-74C48397089C}";
const std::wstring kTypeLibKey = L"TypeLib\\{8DA3BAF9-6840-4F9A-83E0-84A5ACBBDCAC}";
const std::wstring kInterfaceKey = L"Interface\\{7EDCD58A-B0FC-4E20-ACE7-35D78B3C3754}";
const wchar_t* const kPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";

// The classes root of either mode, opened for reading.
struct Root {
    HKEY hive;
    std::wstring prefix;
    std::wstring path(const std::wstring& p) const { return prefix + p; }
};
const Root kMachine{HKEY_LOCAL_MACHINE, L"Software\\Classes\\"};
const Root kUser{HKEY_CURRENT_USER, L"Software\\Classes\\"};

bool Registered(const Root& r) { return KeyExists(r.hive, r.path(kClassKey)); }

void ExpectFullSet(const Root& r) {
    const std::wstring clsid = L"{ED8E9135-BECA-458A-A317-74C48397089C}";
    EXPECT_EQ(StringValue(r.hive, r.path(L"Norvane.CashDrawer.1")), L"CashDrawer_SO Class");
    EXPECT_EQ(StringValue(r.hive, r.path(L"Norvane.CashDrawer.1\\CLSID")), clsid);
    EXPECT_EQ(StringValue(r.hive, r.path(L"Norvane.CashDrawer")), L"CashDrawer_SO Class");
    EXPECT_EQ(StringValue(r.hive, r.path(L"Norvane.CashDrawer\\CurVer")), L"Norvane.CashDrawer.1");
    EXPECT_EQ(StringValue(r.hive, r.path(L"Norvane.CashDrawer\\CLSID")), clsid);
    EXPECT_EQ(StringValue(r.hive, r.path(kClassKey)), L"CashDrawer_SO Class");
    EXPECT_EQ(StringValue(r.hive, r.path(kClassKey + L"\\ProgID")), L"Norvane.CashDrawer.1");
    EXPECT_EQ(StringValue(r.hive, r.path(kClassKey + L"\\VersionIndependentProgID")), L"Norvane.CashDrawer");
    EXPECT_TRUE(KeyExists(r.hive, r.path(kClassKey + L"\\Programmable")));
    EXPECT_EQ(ValueCount(r.hive, r.path(kClassKey + L"\\Programmable")), 0);
    EXPECT_EQ(StringValue(r.hive, r.path(kClassKey + L"\\InprocServer32")), KestrixDll());
    EXPECT_EQ(StringValue(r.hive, r.path(kClassKey + L"\\InprocServer32"), L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(StringValue(r.hive, r.path(kClassKey + L"\\TypeLib")), L"{8DA3BAF9-6840-4F9A-83E0-84A5ACBBDCAC}");
    EXPECT_EQ(StringValue(r.hive, r.path(kClassKey + L"\\Version")), L"1.0");
    EXPECT_EQ(SubkeyCount(r.hive, r.path(kClassKey)), 6);
    EXPECT_EQ(SubkeyCount(r.hive, r.path(L"Norvane.CashDrawer.1")), 1);
    EXPECT_EQ(SubkeyCount(r.hive, r.path(L"Norvane.CashDrawer")), 2);
    EXPECT_EQ(StringValue(r.hive, r.path(kTypeLibKey + L"\\1.0\\409\\" + kPlatform)), KestrixDll());
    EXPECT_TRUE(KeyExists(r.hive, r.path(kInterfaceKey)));
}

void ExpectNoneOf(const Root& r) {
    for (const std::wstring& key : {std::wstring(L"Norvane.CashDrawer.1"), std::wstring(L"Norvane.CashDrawer"),
                                    kClassKey, kTypeLibKey, kInterfaceKey}) {
        EXPECT_FALSE(KeyExists(r.hive, r.path(key))) << std::string(key.begin(), key.end());
    }
}

// Every test leaves Kestrix registered machine-wide and not per user.
class Registration : public ::testing::Test {
protected:
    void TearDown() override {
        Regsvr32(L"/u /n /i:user");
        EXPECT_EQ(Regsvr32(L""), 0);
    }
};

TEST_F(Registration, Regsvr32WritesEveryEntryAndTheTypeLibrary) {
    ASSERT_EQ(Regsvr32(L""), 0);
    ExpectFullSet(kMachine);
}

TEST_F(Registration, RegisteringTwiceLeavesOneSetOfEntries) {
    HKEY stale = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachine.path(kClassKey + L"\\Programmable\\Stale").c_str(), 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &stale, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(stale);
    ASSERT_EQ(Regsvr32(L""), 0);
    ASSERT_EQ(Regsvr32(L""), 0);
    ExpectFullSet(kMachine);
    EXPECT_EQ(SubkeyCount(HKEY_LOCAL_MACHINE, kMachine.path(kClassKey + L"\\Programmable")), 0);
}

TEST_F(Registration, UnregisteringRemovesEverythingButTheClsidKey) {
    ASSERT_EQ(Regsvr32(L"/u"), 0);
    ExpectNoneOf(kMachine);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachine.path(L"CLSID")));
    CLSID clsid = IID_NULL;
    EXPECT_NE(CLSIDFromProgID(L"Norvane.CashDrawer", &clsid), S_OK);
    EXPECT_EQ(Regsvr32(L"/u"), 0) << "nothing left to remove is no failure";
}

TEST_F(Registration, UserInAnyLetterCaseRegistersPerUserOnly) {
    for (const wchar_t* argument : {L"/n /i:user", L"/n /i:USER", L"/n /i:User"}) {
        SCOPED_TRACE(std::string(argument, argument + wcslen(argument)));
        ASSERT_EQ(Regsvr32(L"/u"), 0);
        ASSERT_EQ(Regsvr32(argument), 0);
        ExpectFullSet(kUser);
        ExpectNoneOf(kMachine);
        ASSERT_EQ(Regsvr32(std::wstring(L"/u ") + argument), 0);
        ExpectNoneOf(kUser);
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUser.path(L"CLSID")));
    }
}

TEST_F(Registration, PerUserUnregistrationLeavesMachineEntriesAlone) {
    ASSERT_EQ(Regsvr32(L""), 0);
    ASSERT_EQ(Regsvr32(L"/n /i:user"), 0);
    ExpectFullSet(kUser);
    ASSERT_EQ(Regsvr32(L"/u /n /i:user"), 0);
    ExpectNoneOf(kUser);
    ExpectFullSet(kMachine);
}

TEST_F(Registration, AlmostUserRegistersMachineWide) {
    for (const wchar_t* argument : {L"/n /i:users", L"/n /i:\"user \"", L"/n /i:use"}) {
        SCOPED_TRACE(std::string(argument, argument + wcslen(argument)));
        ASSERT_EQ(Regsvr32(L"/u"), 0);
        ASSERT_EQ(Regsvr32(argument), 0);
        ExpectFullSet(kMachine);
        EXPECT_FALSE(Registered(kUser));
    }
}

}  // namespace
}  // namespace kestrix_com_test
