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

// The converse: machine-wide work goes to the machine's classes only, even
// while a per-user registration exists (HKEY_CLASSES_ROOT would show the
// user's keys over the machine's and write or delete those).
TEST_F(Registration, MachineWideWorkLeavesPerUserEntriesAlone) {
    ASSERT_EQ(Regsvr32(L"/u"), 0);
    ASSERT_EQ(Regsvr32(L"/n /i:user"), 0);
    ASSERT_EQ(Regsvr32(L""), 0);
    ExpectFullSet(kMachine);
    ExpectFullSet(kUser);
    ASSERT_EQ(Regsvr32(L"/u"), 0);
    ExpectNoneOf(kMachine);
    ExpectFullSet(kUser);
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

#ifdef _WIN64
// 64-bit Windows shares the ProgID keys between the 32-bit and the 64-bit
// view, but not the class key. Unregistering one build keeps the ProgIDs as
// long as the other view still registers the class.
const REGSAM kView32 = KEY_WOW64_32KEY;

bool ProgIdsPresent() {
    return KeyExists(HKEY_LOCAL_MACHINE, kMachine.path(L"Norvane.CashDrawer.1")) &&
           KeyExists(HKEY_LOCAL_MACHINE, kMachine.path(L"Norvane.CashDrawer"));
}
bool ClassIn32BitView() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachine.path(kClassKey).c_str(), 0, KEY_READ | kView32, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The 32-bit build's class key as its registration writes it, in the 32-bit
// view; for machines that cannot run the 32-bit build itself.
void Write32BitClassKey(const std::wstring& dll) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachine.path(kClassKey + L"\\InprocServer32").c_str(), 0, nullptr,
                              0, KEY_ALL_ACCESS | kView32, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                   static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}
void Delete32BitClassKey() {
    HKEY classes = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachine.path(L"CLSID").c_str(), 0, KEY_ALL_ACCESS | kView32, &classes) ==
        ERROR_SUCCESS) {
        RegDeleteTreeW(classes, L"{ED8E9135-BECA-458A-A317-74C48397089C}");
        RegCloseKey(classes);
    }
}

// The order of unregistering either build, with the other one's class key
// standing in the 32-bit view or not.
TEST_F(Registration, ProgIdsStayWhileTheOtherViewRegistersTheClass) {
    ASSERT_EQ(Regsvr32(L""), 0);
    Write32BitClassKey(L"C:\\kestrix32\\Kestrix.dll");
    ASSERT_TRUE(ClassIn32BitView());
    ASSERT_EQ(Regsvr32(L"/u"), 0);
    EXPECT_FALSE(Registered(kMachine));
    EXPECT_TRUE(ProgIdsPresent()) << "the 32-bit build still needs them";
    EXPECT_TRUE(ClassIn32BitView());
    Delete32BitClassKey();
    ASSERT_EQ(Regsvr32(L""), 0);
    ASSERT_EQ(Regsvr32(L"/u"), 0);
    EXPECT_FALSE(ProgIdsPresent()) << "no view registers the class any more";
}

// Both builds registered by their own regsvr32 in one 64-bit prefix.
TEST_F(Registration, BothBuildsInOnePrefixShareTheProgIds) {
    const std::wstring dll32 = KestrixDll32();
    if (GetFileAttributesW(dll32.c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "the 32-bit build's Kestrix.dll is absent (build the win32 tree first)";
    }
    const std::wstring regsvr32 = L"C:\\windows\\syswow64\\regsvr32.exe /s ";
    ASSERT_EQ(Regsvr32(L""), 0);
    const int registered32 = RunProcess(regsvr32 + L"\"" + dll32 + L"\"");
    if (registered32 != 0 && !ClassIn32BitView()) {
        GTEST_SKIP() << "this machine cannot run the 32-bit regsvr32 (exit code " << registered32 << ")";
    }
    ASSERT_EQ(registered32, 0);
    EXPECT_EQ(StringValue(HKEY_LOCAL_MACHINE, kMachine.path(L"Wow6432Node\\" + kClassKey + L"\\InprocServer32")),
              dll32);
    ASSERT_EQ(Regsvr32(L"/u"), 0);
    EXPECT_TRUE(ProgIdsPresent()) << "the 32-bit build still needs them";
    ASSERT_EQ(Regsvr32(L""), 0);
    ASSERT_EQ(RunProcess(regsvr32 + L"/u \"" + dll32 + L"\""), 0);
    EXPECT_FALSE(ClassIn32BitView());
    EXPECT_TRUE(ProgIdsPresent()) << "the 64-bit build still needs them";
    ExpectFullSet(kMachine);
    ASSERT_EQ(Regsvr32(L"/u"), 0);
    EXPECT_FALSE(ProgIdsPresent());
}
#endif

}  // namespace
}  // namespace kestrix_com_test
