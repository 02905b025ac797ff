// Registration by the system's regsvr32, read back from the registry:
// machine-wide, per user through DllInstall, twice, and undone.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "com_fixture.h"
#include "registry_read.h"

namespace kestrix::test {
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
// 64-bit Windows shares the ProgID keys and the type library key between the
// 32-bit and the 64-bit view, but not the class key and the interface keys;
// the system's type library registration of either build writes the
// interface keys into both views. Unregistering one build keeps what the
// other, still registered, build needs; the last one removes everything.
const REGSAM kView32 = KEY_WOW64_32KEY;
const std::wstring kTypeLibFiles = kTypeLibKey + L"\\1.0\\409\\";

bool ProgIdsPresent() {
    return KeyExists(HKEY_LOCAL_MACHINE, kMachine.path(L"Norvane.CashDrawer.1")) &&
           KeyExists(HKEY_LOCAL_MACHINE, kMachine.path(L"Norvane.CashDrawer"));
}
bool In32BitView(const std::wstring& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachine.path(key).c_str(), 0, KEY_READ | kView32, &k) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(k);
    return true;
}
bool ClassIn32BitView() { return In32BitView(kClassKey); }

// Only the build of `platform` (win32 or win64), its file `dll`, is left:
// the ProgIDs, its type library file and the interface keys of both views.
void ExpectOnlyTheBuildOf(const wchar_t* platform, const std::wstring& dll) {
    const bool only32 = std::wstring(platform) == L"win32";
    EXPECT_TRUE(ProgIdsPresent());
    EXPECT_EQ(ClassIn32BitView(), only32);
    EXPECT_EQ(Registered(kMachine), !only32);
    EXPECT_EQ(StringValue(HKEY_LOCAL_MACHINE, kMachine.path(kTypeLibFiles + platform)), dll);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachine.path(kTypeLibFiles + (only32 ? L"win64" : L"win32"))));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachine.path(kInterfaceKey)));
    EXPECT_TRUE(In32BitView(kInterfaceKey));
}
void ExpectNoBuild() {
    ExpectNoneOf(kMachine);
    EXPECT_FALSE(ClassIn32BitView());
    EXPECT_FALSE(In32BitView(kInterfaceKey));
}

void SetDefault(const std::wstring& path, REGSAM view, const std::wstring& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachine.path(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// The 32-bit build's class key and type library file as its registration
// writes them; for machines that cannot run the 32-bit build itself.
void Write32BitBuild(const std::wstring& dll) {
    SetDefault(kClassKey + L"\\InprocServer32", kView32, dll);
    SetDefault(kTypeLibFiles + L"win32", 0, dll);
}
void Delete32BitBuild() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachine.path(L"CLSID").c_str(), 0, KEY_ALL_ACCESS | kView32, &key) ==
        ERROR_SUCCESS) {
        RegDeleteTreeW(key, L"{ED8E9135-BECA-458A-A317-74C48397089C}");
        RegCloseKey(key);
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMachine.path(kTypeLibFiles + L"win32").c_str());
}

// The 64-bit build unregistered while the 32-bit one stands, then as the last.
TEST_F(Registration, EntriesOfTheOtherBuildStayWhileItRegistersTheClass) {
    const std::wstring dll32 = L"C:\\kestrix32\\Kestrix.dll";
    ASSERT_EQ(Regsvr32(L""), 0);
    Write32BitBuild(dll32);
    ASSERT_TRUE(ClassIn32BitView());
    ASSERT_EQ(Regsvr32(L"/u"), 0);
    ExpectOnlyTheBuildOf(L"win32", dll32);
    Delete32BitBuild();
    ASSERT_EQ(Regsvr32(L""), 0);
    ASSERT_EQ(Regsvr32(L"/u"), 0);
    ExpectNoBuild();
}

// Both builds registered by their own regsvr32 in one 64-bit prefix, each
// unregistered while the other stands.
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
    ExpectOnlyTheBuildOf(L"win32", dll32);
    ASSERT_EQ(Regsvr32(L""), 0);
    ASSERT_EQ(RunProcess(regsvr32 + L"/u \"" + dll32 + L"\""), 0);
    ExpectOnlyTheBuildOf(L"win64", KestrixDll());
    ExpectFullSet(kMachine);
    ASSERT_EQ(Regsvr32(L"/u"), 0);
    ExpectNoBuild();
}
#endif

}  // namespace
}  // namespace kestrix::test
