#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/mod_registry.h"
#include "system_text.h"
#include "win32_store.h"

namespace trellup::test {
namespace {

using modRegistry::DeleteRegKey;
using modRegistry::QueryDeviceValue;
using modRegistry::ReadDeviceRecord;
using modRegistry::SaveDeviceRecord;
using modRegistry::WriteDeviceRecord;

// A class of our own, so the test starts without the class key and leaves
// the prefix's real entries alone.
const std::string kClass = "TrellupStoreTest";
const std::string kClassPath = std::string(kOposRoot) + "\\" + kClass;

bool KeyExists(const std::string& path) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

struct Raw {
    LONG rc = -1;
    DWORD type = 0xFFFF;
    DWORD size = 0xFFFF;
    std::string data;
};

Raw QueryRaw(const std::string& path, const char* name) {
    Raw r;
    HKEY h = nullptr;
    r.rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &h);
    if (r.rc != ERROR_SUCCESS) return r;
    char buffer[1024];
    r.size = sizeof buffer;
    r.rc = RegQueryValueExA(h, name, nullptr, &r.type, reinterpret_cast<BYTE*>(buffer), &r.size);
    if (r.rc == ERROR_SUCCESS) r.data.assign(buffer, r.size);
    RegCloseKey(h);
    return r;
}

void PutRaw(const std::string& path, const char* name, DWORD type, const std::string& bytes) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &h), ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())),
        ERROR_SUCCESS);
    RegCloseKey(h);
}

CashDrawerDevice Sample(const std::string& name) {
    return CashDrawerDevice{kClass,
                            "Norvane.CashDrawer",
                            "Norvane OPOS Cash Drawer Service Object",
                            name,
                            "Cash drawer of the NV-480 terminal",
                            "",
                            8,
                            300,
                            1,
                            0,
                            100,
                            2000};
}

class RegistryOnWine : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kClassPath.c_str()); }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kClassPath.c_str()); }

    win32::Win32Store store;
    StorePlatform p = store.platform();
};

TEST_F(RegistryOnWine, ARecordIsWrittenUnderANewClassKeyAndReadsBack) {
    ASSERT_FALSE(KeyExists(kClassPath));
    const CashDrawerDevice written = Sample("NVCD1");
    EXPECT_EQ(WriteDeviceRecord(p, written), ERROR_SUCCESS);
    ASSERT_TRUE(KeyExists(kClassPath + "\\NVCD1"));

    CashDrawerDevice read{"x", "x", "x", "x", "x", "x", 9, 9, 9, 9, 9, 9};
    ReadDeviceRecord(p, kClass, "NVCD1", &read);
    EXPECT_EQ(read, written);
}

TEST_F(RegistryOnWine, ValuesHaveTheTypesAndSizesTheServiceObjectReads) {
    ASSERT_EQ(WriteDeviceRecord(p, Sample("NVCD1")), ERROR_SUCCESS);
    const std::string key = kClassPath + "\\NVCD1";

    // The service object asks for "TimeOut": the same value.
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\TrellupStoreTest\\NVCD1", 0,
                            KEY_READ, &h),
              ERROR_SUCCESS);
    DWORD type = 0, size = 4, timeout = 0;
    EXPECT_EQ(RegQueryValueExW(h, L"TimeOut", nullptr, &type, reinterpret_cast<BYTE*>(&timeout), &size), ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(timeout, 2000u);

    const Raw desc = QueryRaw(key, "Description");
    EXPECT_EQ(desc.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(desc.data, std::string("Norvane OPOS Cash Drawer Service Object") + '\0');
    const Raw master = QueryRaw(key, "Master");  // empty: no data bytes
    EXPECT_EQ(master.rc, ERROR_SUCCESS);
    EXPECT_EQ(master.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(master.size, 0u);
    EXPECT_EQ(QueryRaw(key, "").data, std::string("Norvane.CashDrawer") + '\0');
    EXPECT_EQ(QueryRaw(key, "DeviceName").data, std::string("NVCD1") + '\0');

    // DllPath is this program's folder, without a trailing backslash.
    char module[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module, n);
    folder.resize(folder.find_last_of('\\'));
    EXPECT_EQ(QueryRaw(key, "DllPath").data, folder + '\0');
}

TEST_F(RegistryOnWine, TextAndNumberReadsKeepTheirLimitsOnTheRealRegistry) {
    const std::string key = kClassPath + "\\NVCD1";
    PutRaw(key, "Len254", REG_SZ, std::string(254, 'a') + '\0');
    PutRaw(key, "Len255", REG_SZ, std::string(255, 'b') + '\0');
    PutRaw(key, "Raw254", REG_SZ, std::string(254, 'c'));  // no terminator
    PutRaw(key, "Binary", REG_BINARY, "ABC");
    PutRaw(key, "Qword", REG_QWORD, std::string("\x05\0\0\0\0\0\0\0", 8));
    PutRaw(key, "Short", REG_BINARY, std::string("\x34\x12", 2));

    std::string text = "seed";
    int32_t number = 42;
    EXPECT_EQ(QueryDeviceValue(p, kClass, "NVCD1", "len254", kRegSz, &text, &number), ERROR_SUCCESS);
    EXPECT_EQ(text, std::string(254, 'a'));
    EXPECT_EQ(QueryDeviceValue(p, kClass, "NVCD1", "Len255", kRegSz, &text, &number), ERROR_MORE_DATA);
    EXPECT_EQ(text, "");
    QueryDeviceValue(p, kClass, "NVCD1", "Raw254", kRegSz, &text, &number);
    EXPECT_EQ(text, std::string(254, 'c'));
    QueryDeviceValue(p, kClass, "NVCD1", "Binary", kRegSz, &text, &number);
    EXPECT_EQ(text, "ABC");
    EXPECT_EQ(QueryDeviceValue(p, kClass, "NVCD1", "Qword", kRegDword, &text, &number), ERROR_MORE_DATA);
    EXPECT_EQ(number, 42);
    QueryDeviceValue(p, kClass, "NVCD1", "Short", kRegDword, &text, &number);
    EXPECT_EQ(number, 0x1234);
    EXPECT_EQ(QueryDeviceValue(p, kClass, "NVCD1", "Missing", kRegDword, &text, &number), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(number, 0x1234);
}

// Deleting a key that holds a subkey fails with the registry's own error,
// and so does a rename of it, which then leaves no new key behind.
TEST_F(RegistryOnWine, ADeviceKeyWithASubkeyIsNotDeleted) {
    ASSERT_EQ(WriteDeviceRecord(p, Sample("NVCD2")), ERROR_SUCCESS);
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, (kClassPath + "\\NVCD2\\Extra").c_str(), &sub), ERROR_SUCCESS);
    RegCloseKey(sub);

    EXPECT_EQ(DeleteRegKey(p, kClassPath, "NVCD2"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(KeyExists(kClassPath + "\\NVCD2"));
    EXPECT_EQ(QueryRaw(kClassPath + "\\NVCD2", "MasterValue").rc, ERROR_SUCCESS);
    const modRegistry::SaveResult moved = SaveDeviceRecord(p, Sample("Front"), "NVCD2", false);
    EXPECT_EQ(moved.result, ERROR_ACCESS_DENIED);
    EXPECT_TRUE(moved.restored);
    EXPECT_FALSE(KeyExists(kClassPath + "\\Front"));
    EXPECT_TRUE(KeyExists(kClassPath + "\\NVCD2\\Extra"));

    EXPECT_EQ(DeleteRegKey(p, kClassPath + "\\NVCD2", "Extra"), ERROR_SUCCESS);
    EXPECT_EQ(DeleteRegKey(p, kClassPath, "nvcd2"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(kClassPath + "\\NVCD2"));
    EXPECT_TRUE(KeyExists(kClassPath));
}

TEST_F(RegistryOnWine, AnEmptyDeviceNameTouchesNeitherTheClassKeyNorItsParent) {
    ASSERT_EQ(WriteDeviceRecord(p, Sample("NVCD1")), ERROR_SUCCESS);
    EXPECT_EQ(DeleteRegKey(p, kClassPath + "\\NVCD1", ""), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(KeyExists(kClassPath + "\\NVCD1"));
    EXPECT_EQ(WriteDeviceRecord(p, Sample("")), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(QueryRaw(kClassPath, "MasterValue").rc, ERROR_FILE_NOT_FOUND);
}

// What a rename carries over on the real registry: every value of the old
// key that the record does not carry reads back from the new key as it read
// from the old one (type and bytes), through the value listing; over another
// entry, nothing of that entry stays.
TEST_F(RegistryOnWine, AMoveCarriesHandSetValuesAsTheyRead) {
    const std::string from = kClassPath + "\\NVCD1", to = kClassPath + "\\Front";
    ASSERT_EQ(WriteDeviceRecord(p, Sample("NVCD1")), ERROR_SUCCESS);
    PutRaw(from, "CD_Port", REG_DWORD, std::string("\x80\x02\0\0", 4));
    PutRaw(from, "Note", REG_SZ, "abc");  // no terminator
    PutRaw(from, "Blob", REG_BINARY, "");
    std::vector<Raw> originals;
    for (const char* name : {"CD_Port", "Note", "Blob"}) originals.push_back(QueryRaw(from, name));
    ASSERT_EQ(WriteDeviceRecord(p, Sample("Front")), ERROR_SUCCESS);
    PutRaw(to, "CS_Status", REG_DWORD, std::string("\x01\x03\0\0", 4));

    const modRegistry::SaveResult moved = SaveDeviceRecord(p, Sample("Front"), "NVCD1", true);
    EXPECT_EQ(moved.result, ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(from));
    size_t i = 0;
    for (const char* name : {"CD_Port", "Note", "Blob"}) {
        SCOPED_TRACE(name);
        const Raw copy = QueryRaw(to, name);
        EXPECT_EQ(copy.rc, ERROR_SUCCESS);
        EXPECT_EQ(copy.type, originals[i].type);
        EXPECT_EQ(copy.data, originals[i].data);
        ++i;
    }
    EXPECT_EQ(QueryRaw(to, "CD_Port").data, std::string("\x80\x02\0\0", 4));
    EXPECT_EQ(QueryRaw(to, "Blob").size, 0u);
    EXPECT_EQ(QueryRaw(to, "CS_Status").rc, ERROR_FILE_NOT_FOUND);
}

// Reads and deletions open keys for reading only: a missing device, and its
// missing class, stay missing.
TEST_F(RegistryOnWine, ReadingOrDeletingAMissingDeviceMakesNoKey) {
    CashDrawerDevice read = Sample("x");
    EXPECT_EQ(ReadDeviceRecord(p, kClass, "NVCD1", &read), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(read, (CashDrawerDevice{kClass, "", "", "NVCD1", "", "", 0, 0, 0, 0, 0, 0}));
    std::string text = "seed";
    EXPECT_EQ(QueryDeviceValue(p, kClass, "NVCD1", "Description", kRegSz, &text, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(DeleteRegKey(p, kClassPath, "NVCD1"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyExists(kClassPath));
}

// A name the ANSI code page cannot hold exactly (not at all, or only as a
// look-alike) is listed as unreadable, and the names after it still are; a
// move of an entry with such a value name changes nothing.
TEST_F(RegistryOnWine, NamesTheCodePageCannotHoldAreSkippedNotEnded) {
    if (GetACP() != 1252) GTEST_SKIP() << "the names are chosen for code page 1252";
    const std::wstring wide_class = L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\TrellupStoreTest\\";
    // A1, then A + a Deseret letter (no ANSI code page has it), then
    // A + a-macron (code page 1252 only has the look-alike "a"), then B2 and
    // an e-acute that code page 1252 holds.
    const std::wstring names[] = {L"A1", L"A\xD801\xDC00", L"A\x0101", L"B2", L"Caf\x00E9"};
    for (const std::wstring& n : names) {
        HKEY h = nullptr;
        ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, (wide_class + n).c_str(), &h), ERROR_SUCCESS);
        RegCloseKey(h);
    }
    win32::Win32Registry registry;
    IRegistry::Key key = 0;
    ASSERT_EQ(registry.OpenKey(kClassPath.c_str(), &key), ERROR_SUCCESS);
    std::vector<std::string> listed;
    int unreadable = 0;
    LONG rc = ERROR_SUCCESS;
    for (uint32_t index = 0; index < 10; ++index) {
        char name[256];
        rc = registry.EnumKey(key, index, name, sizeof name);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_NO_UNICODE_TRANSLATION) ++unreadable;
        if (rc == ERROR_SUCCESS) listed.push_back(name);
    }
    registry.CloseKey(key);
    EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(listed, (std::vector<std::string>{"A1", "B2", "Caf\xE9"}));
    EXPECT_EQ(unreadable, 2);

    // A hand-set value whose name cannot be read: the move is refused whole.
    ASSERT_EQ(WriteDeviceRecord(p, Sample("NVCD1")), ERROR_SUCCESS);
    const DWORD one = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, (wide_class + L"NVCD1").c_str(), L"CD_\xD801\xDC00", REG_DWORD, &one,
                              sizeof one),
              ERROR_SUCCESS);
    const modRegistry::SaveResult moved = SaveDeviceRecord(p, Sample("Front"), "NVCD1", false);
    EXPECT_EQ(moved.result, ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_FALSE(KeyExists(kClassPath + "\\Front"));
    EXPECT_TRUE(KeyExists(kClassPath + "\\NVCD1"));
}

// An entry whose permissions refuse writing values: a write into it, and a
// create over it, are refused and change nothing. (Wine grants a handle only
// what the key's permissions allow, but does not check the parent's
// permission to make a subkey; a create refused there is tested natively.)
TEST_F(RegistryOnWine, AnEntryThatRefusesWritingIsLeftAsItWas) {
    ASSERT_EQ(WriteDeviceRecord(p, Sample("NVCD1")), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR sd = nullptr;
    // Everyone: no KEY_SET_VALUE and KEY_CREATE_SUB_KEY, all else allowed.
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x0006;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                     &sd, nullptr));
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kClassPath + "\\NVCD1").c_str(), 0, WRITE_DAC, &h), ERROR_SUCCESS);
    EXPECT_EQ(RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
    RegCloseKey(h);
    LocalFree(sd);

    CashDrawerDevice changed = Sample("NVCD1");
    changed.PulseOnTime = 250;
    for (bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        const modRegistry::SaveResult saved = SaveDeviceRecord(p, changed, "", replace);
        EXPECT_EQ(saved.result, ERROR_ACCESS_DENIED);
        EXPECT_TRUE(saved.restored);
        CashDrawerDevice read;
        EXPECT_EQ(ReadDeviceRecord(p, kClass, "NVCD1", &read), ERROR_SUCCESS);
        EXPECT_EQ(read, Sample("NVCD1"));
    }
}

// The system's error texts on one line; a code without one gets a plain text.
TEST(SystemText, ErrorTextsAreOneLine) {
    for (DWORD code : {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_NO_UNICODE_TRANSLATION}) {
        const std::string text = win32::SystemErrorText(static_cast<int32_t>(code));
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_NE(text.back(), ' ');
    }
    EXPECT_EQ(win32::SystemErrorText(0x20001234), "Error 536875572.");
}

}  // namespace
}  // namespace trellup::test
