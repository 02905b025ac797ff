#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "store/mod_registry.h"
#include "win32_store.h"

namespace trellup {
namespace {

using modRegistry::CopyMissingValues;
using modRegistry::DeleteRegKey;
using modRegistry::QueryDeviceValue;
using modRegistry::ReadDeviceRecord;
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
    ASSERT_EQ(RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(h);
}

CashDrawerDevice Sample(const std::string& name) {
    return CashDrawerDevice{kClass, "Norvane.CashDrawer", "Norvane OPOS Cash Drawer Service Object", name,
                            "Cash drawer of the NV-480 terminal", "", 8, 300, 1, 0, 100, 2000};
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
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                            L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\TrellupStoreTest\\NVCD1", 0, KEY_READ, &h),
              ERROR_SUCCESS);
    DWORD type = 0, size = 4, timeout = 0;
    EXPECT_EQ(RegQueryValueExW(h, L"TimeOut", nullptr, &type, reinterpret_cast<BYTE*>(&timeout), &size),
              ERROR_SUCCESS);
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

TEST_F(RegistryOnWine, ADeviceKeyWithASubkeyIsNotDeleted) {
    ASSERT_EQ(WriteDeviceRecord(p, Sample("NVCD2")), ERROR_SUCCESS);
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, (kClassPath + "\\NVCD2\\Extra").c_str(), &sub), ERROR_SUCCESS);
    RegCloseKey(sub);

    EXPECT_NE(DeleteRegKey(p, kClassPath, "NVCD2"), ERROR_SUCCESS);
    EXPECT_TRUE(KeyExists(kClassPath + "\\NVCD2"));
    EXPECT_EQ(QueryRaw(kClassPath + "\\NVCD2", "MasterValue").rc, ERROR_SUCCESS);

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

// What a rename carries over on the real registry: every value the new key
// lacks reads back from it as it reads from the old key (type and bytes),
// through RegEnumValueA; a value the new key has stays.
TEST_F(RegistryOnWine, CopyCarriesHandSetValuesAsTheyRead) {
    const std::string from = kClassPath + "\\NVCD1", to = kClassPath + "\\Front";
    ASSERT_EQ(WriteDeviceRecord(p, Sample("NVCD1")), ERROR_SUCCESS);
    PutRaw(from, "CD_Port", REG_DWORD, std::string("\x80\x02\0\0", 4));
    PutRaw(from, "Note", REG_SZ, "abc");  // no terminator
    PutRaw(from, "Blob", REG_BINARY, "");
    ASSERT_EQ(WriteDeviceRecord(p, Sample("Front")), ERROR_SUCCESS);
    PutRaw(to, "Description", REG_SZ, std::string("Kept", 5));

    EXPECT_EQ(CopyMissingValues(p, kClass, "NVCD1", "Front"), ERROR_SUCCESS);
    for (const char* name : {"CD_Port", "Note", "Blob"}) {
        SCOPED_TRACE(name);
        const Raw original = QueryRaw(from, name), copy = QueryRaw(to, name);
        EXPECT_EQ(copy.rc, ERROR_SUCCESS);
        EXPECT_EQ(copy.type, original.type);
        EXPECT_EQ(copy.data, original.data);
    }
    EXPECT_EQ(QueryRaw(to, "CD_Port").data, std::string("\x80\x02\0\0", 4));
    EXPECT_EQ(QueryRaw(to, "Blob").size, 0u);
    EXPECT_EQ(QueryRaw(to, "Description").data, std::string("Kept", 5));
}

}  // namespace
}  // namespace trellup
