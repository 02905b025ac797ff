#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_profile.h"
#include "support/fake_registry.h"
#include "store/mod_registry.h"

namespace trellup::test {
namespace {

using modRegistry::DeleteRegKey;
using modRegistry::DeviceKeyExists;
using modRegistry::QueryDeviceValue;
using modRegistry::ReadDeviceRecord;
using modRegistry::SaveDeviceRecord;
using modRegistry::SetDeviceDword;
using modRegistry::SetDeviceString;
using modRegistry::WriteDeviceRecord;

const std::string kClassKey = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer";
const std::string kDeviceKey = kClassKey + "\\NVCD1";
const std::string kFrontKey = kClassKey + "\\Front";

std::vector<uint8_t> Sz(const std::string& s) {
    std::vector<uint8_t> b = Bytes(s);
    b.push_back(0);
    return b;
}
std::vector<uint8_t> Dw(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

CashDrawerDevice SampleRecord() {
    CashDrawerDevice d;
    d.ClassName = "CashDrawer";
    d.SOProgID = "Norvane.CashDrawer";
    d.Description = "Norvane OPOS Cash Drawer Service Object";
    d.DeviceName = "NVCD1";
    d.DeviceDesc = "Cash drawer of the NV-480 terminal";
    d.Master = "";
    d.MasterValue = 8;
    d.CheckStatusPeriod = 300;
    d.ConnectorPinNo = 1;
    d.OpenStatusPhase = 0;
    d.PulseOnTime = 100;
    d.Timeout = -2;
    return d;
}

CashDrawerDevice Junk() {
    CashDrawerDevice d;
    d.ClassName = d.SOProgID = d.Description = d.DeviceName = d.DeviceDesc = d.Master = "junk";
    d.MasterValue = d.CheckStatusPeriod = d.ConnectorPinNo = d.OpenStatusPhase = d.PulseOnTime = d.Timeout = 777;
    return d;
}

class ModRegistry : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(registry.open_keys(), 0u) << "a key was left open";
        EXPECT_EQ(registry.bad_closes(), 0);
    }
    std::string Text(const std::string& name, int32_t* rc = nullptr) {
        std::string text = "seed";
        int32_t number = 555;
        const int32_t r = QueryDeviceValue(p, "CashDrawer", "NVCD1", name, kRegSz, &text, &number);
        if (rc) *rc = r;
        EXPECT_EQ(number, 555) << "a text read touched the number";
        return text;
    }
    int32_t Number(const std::string& name, int32_t seed, int32_t* rc = nullptr) {
        std::string text = "seed";
        int32_t number = seed;
        const int32_t r = QueryDeviceValue(p, "CashDrawer", "NVCD1", name, kRegDword, &text, &number);
        if (rc) *rc = r;
        EXPECT_EQ(text, "seed") << "a number read touched the text";
        return number;
    }

    FakeRegistry registry;
    FakeProgramFolder folder{"C:\\Program Files\\Trellup"};
    StorePlatform p{&registry, nullptr, &folder};
};

// --- WriteDeviceRecord ----------------------------------------------------

TEST_F(ModRegistry, RecordIsWrittenAsTwelveValuesInOrderWithTypesAndBytes) {
    EXPECT_EQ(WriteDeviceRecord(p, SampleRecord()), kRegSuccess);
    struct Expected {
        const char* name;
        uint32_t type;
        std::vector<uint8_t> data;
    };
    const std::vector<Expected> expected = {
        {"", kRegSz, Sz("Norvane.CashDrawer")},
        {"Description", kRegSz, Sz("Norvane OPOS Cash Drawer Service Object")},
        {"DeviceName", kRegSz, Sz("NVCD1")},
        {"DeviceDesc", kRegSz, Sz("Cash drawer of the NV-480 terminal")},
        {"DllPath", kRegSz, Sz("C:\\Program Files\\Trellup")},
        {"Master", kRegSz, {}},  // empty text: no data bytes
        {"CheckStatusPeriod", kRegDword, Dw(300)},
        {"ConnectorPinNo", kRegDword, Dw(1)},
        {"MasterValue", kRegDword, Dw(8)},
        {"OpenStatusPhase", kRegDword, Dw(0)},
        {"PulseOnTime", kRegDword, Dw(100)},
        {"Timeout", kRegDword, Dw(0xFFFFFFFE)},
    };
    ASSERT_EQ(registry.writes().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& w = registry.writes()[i];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(w.key_path, kDeviceKey);
        EXPECT_EQ(w.name, expected[i].name);
        EXPECT_EQ(w.type, expected[i].type);
        EXPECT_EQ(w.data, expected[i].data);
    }
}

TEST_F(ModRegistry, WritingANewDeviceCreatesTheClassAndDeviceKeys) {
    ASSERT_FALSE(registry.HasKey(kClassKey));
    EXPECT_EQ(WriteDeviceRecord(p, SampleRecord()), kRegSuccess);
    EXPECT_TRUE(registry.HasKey(kDeviceKey));
    EXPECT_EQ(registry.ValueNames(kDeviceKey).size(), 12u);
}

// A failed write stops the record there and undoes it: a key the write
// made is deleted again (its class key too), an existing key gets back the
// values it had. When undoing fails too, the result says so.
TEST_F(ModRegistry, AFailedWriteStopsAndLeavesTheRegistryAsItWas) {
    const struct {
        bool existing;        // NVCD1 holds an older record and a hand-set value
        const char* failing;  // value whose writes fail, or nullptr
        int writes_left;      // successful writes before all fail, or -1
        size_t writes;        // SetValue calls, undoing included
        bool restored;
    } cases[] = {
        {false, "Description", -1, 2, true},
        {false, "Timeout", -1, 12, true},
        {true, "Timeout", -1, 12 + 11, true},
        {true, nullptr, 3, 4 + 3, false},  // the undo fails as well
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.existing ? "existing " : "new ") + (c.failing ? c.failing : "after 3"));
        FakeRegistry r;
        StorePlatform q{&r, nullptr, &folder};
        r.PutKey(kOposRoot);
        if (c.existing) {
            CashDrawerDevice older = SampleRecord();
            older.PulseOnTime = 50;
            older.Master = "Old model";
            ASSERT_EQ(WriteDeviceRecord(q, older), kRegSuccess);
            r.PutDword(kDeviceKey, "CD_Port", 0x280);
        }
        const std::string before = r.Dump();
        const size_t writes_before = r.writes().size();
        if (c.failing) r.FailWritesOf(c.failing, kRegAccessDenied);
        r.FailWritesAfter(c.writes_left);
        CashDrawerDevice changed = SampleRecord();
        changed.Master = "New model";
        const modRegistry::SaveResult saved = SaveDeviceRecord(q, changed, "", false);
        EXPECT_EQ(saved.result, kRegAccessDenied);
        EXPECT_EQ(saved.restored, c.restored);
        EXPECT_EQ(r.writes().size() - writes_before, c.writes);
        if (c.restored) {
            EXPECT_EQ(r.Dump(), before);
        }
        EXPECT_EQ(r.open_keys(), 0u);
    }
}

TEST_F(ModRegistry, AKeyThatCannotBeCreatedGivesItsResult) {
    registry.FailCreateKey(kRegAccessDenied);
    EXPECT_EQ(WriteDeviceRecord(p, SampleRecord()), kRegAccessDenied);
    EXPECT_TRUE(registry.writes().empty());
}

TEST_F(ModRegistry, ARecordWithoutAUsableDeviceNameWritesNothing) {
    // An empty name would put the values on the class key itself, a name
    // with a backslash on a key further down.
    for (const char* name : {"", "NVCD1\\Sub"}) {
        CashDrawerDevice d = SampleRecord();
        d.DeviceName = name;
        EXPECT_EQ(WriteDeviceRecord(p, d), kRegInvalidParameter) << name;
    }
    CashDrawerDevice d = SampleRecord();
    d.ClassName = "";
    EXPECT_EQ(WriteDeviceRecord(p, d), kRegInvalidParameter);
    EXPECT_TRUE(registry.writes().empty());
    EXPECT_FALSE(registry.HasKey(kClassKey));
}

// --- ReadDeviceRecord -----------------------------------------------------

TEST_F(ModRegistry, WrittenRecordReadsBackWithNamesMatchedWithoutCase) {
    const CashDrawerDevice written = SampleRecord();
    ASSERT_EQ(WriteDeviceRecord(p, written), kRegSuccess);
    CashDrawerDevice read = Junk();
    ReadDeviceRecord(p, "cashdrawer", "nvcd1", &read);
    CashDrawerDevice expected = written;
    expected.ClassName = "cashdrawer";  // the arguments, not the registry
    expected.DeviceName = "nvcd1";
    EXPECT_EQ(read, expected);
}

TEST_F(ModRegistry, DeviceNameComesFromTheArgumentNotFromTheValue) {
    registry.PutString(kDeviceKey, "DeviceName", "Other");
    CashDrawerDevice read = Junk();
    ReadDeviceRecord(p, "CashDrawer", "NVCD1", &read);
    EXPECT_EQ(read.DeviceName, "NVCD1");
}

TEST_F(ModRegistry, AMissingDescriptionReadsEmptyAndTheRestNormally) {
    ASSERT_EQ(WriteDeviceRecord(p, SampleRecord()), kRegSuccess);
    FakeRegistry fresh;  // the same entry without "Description"
    for (const std::string& name : registry.ValueNames(kDeviceKey)) {
        const auto* v = registry.Find(kDeviceKey, name);
        if (name != "Description") fresh.PutValue(kDeviceKey, name, v->type, v->data);
    }
    StorePlatform q{&fresh, nullptr, &folder};
    CashDrawerDevice read = Junk();
    ReadDeviceRecord(q, "CashDrawer", "NVCD1", &read);
    CashDrawerDevice expected = SampleRecord();
    expected.Description = "";
    EXPECT_EQ(read, expected);
}

TEST_F(ModRegistry, AMissingNumberRepeatsTheNumberReadBeforeIt) {
    registry.PutDword(kDeviceKey, "MasterValue", 8);
    registry.PutDword(kDeviceKey, "ConnectorPinNo", 2);
    registry.PutDword(kDeviceKey, "PulseOnTime", 150);
    // CheckStatusPeriod, OpenStatusPhase, Timeout missing.
    CashDrawerDevice read = Junk();
    ReadDeviceRecord(p, "CashDrawer", "NVCD1", &read);
    EXPECT_EQ(read.MasterValue, 8);
    EXPECT_EQ(read.CheckStatusPeriod, 8);
    EXPECT_EQ(read.ConnectorPinNo, 2);
    EXPECT_EQ(read.OpenStatusPhase, 2);
    EXPECT_EQ(read.PulseOnTime, 150);
    EXPECT_EQ(read.Timeout, 150);
}

TEST_F(ModRegistry, AMissingFirstNumberReadsZeroAndAnOversizedOneCountsAsMissing) {
    registry.PutValue(kDeviceKey, "CheckStatusPeriod", kRegQword, {1, 0, 0, 0, 0, 0, 0, 0});
    registry.PutDword(kDeviceKey, "ConnectorPinNo", 1);
    CashDrawerDevice read = Junk();
    ReadDeviceRecord(p, "CashDrawer", "NVCD1", &read);
    EXPECT_EQ(read.MasterValue, 0);
    EXPECT_EQ(read.CheckStatusPeriod, 0);
    EXPECT_EQ(read.ConnectorPinNo, 1);
    EXPECT_EQ(read.Timeout, 1);
    EXPECT_EQ(read.SOProgID, "");
    EXPECT_EQ(read.Master, "");
}

// --- QueryDeviceValue -----------------------------------------------------

TEST_F(ModRegistry, TextReadsAreCutAtTheFirstNulAndEmptyFromTwoHundredFiftyFiveCharacters) {
    registry.PutString(kDeviceKey, "Len254", std::string(254, 'a'));
    registry.PutString(kDeviceKey, "Len255", std::string(255, 'b'));
    registry.PutString(kDeviceKey, "Len4000", std::string(4000, 'c'));
    registry.PutValue(kDeviceKey, "Raw255", kRegSz, std::vector<uint8_t>(255, 'd'));  // no terminator
    registry.PutValue(kDeviceKey, "Raw254", kRegSz, std::vector<uint8_t>(254, 'e'));
    registry.PutValue(kDeviceKey, "Empty", kRegSz, {});
    registry.PutValue(kDeviceKey, "Embedded", kRegSz, Sz(std::string("AB\0CD", 5)));
    int32_t rc = -1;
    EXPECT_EQ(Text("Len254"), std::string(254, 'a'));
    EXPECT_EQ(Text("Len255", &rc), "");
    EXPECT_EQ(rc, kRegMoreData);
    EXPECT_EQ(Text("Len4000"), "");
    EXPECT_EQ(Text("Raw255", &rc), "");
    EXPECT_EQ(rc, kRegSuccess);
    EXPECT_EQ(Text("Raw254"), std::string(254, 'e'));
    EXPECT_EQ(Text("Empty", &rc), "");
    EXPECT_EQ(rc, kRegSuccess);
    EXPECT_EQ(Text("Embedded"), "AB");
    EXPECT_EQ(Text("Missing", &rc), "");
    EXPECT_EQ(rc, kRegFileNotFound);
}

TEST_F(ModRegistry, TextReadsIgnoreTheTypeAndNeverShowTheBufferBlanks) {
    registry.PutValue(kDeviceKey, "Binary", kRegBinary, Bytes("ABC"));  // nothing appends a NUL
    registry.PutDword(kDeviceKey, "Number", 0x41);
    EXPECT_EQ(Text("Binary"), "ABC");
    EXPECT_EQ(Text("Number"), "A");
}

TEST_F(ModRegistry, NumberReadsTakeLittleEndianBytesOfAnyTypeAndKeepTheNumberOnFailure) {
    registry.PutDword(kDeviceKey, "Dword", 0x12345678);
    registry.PutValue(kDeviceKey, "Text", kRegSz, Sz("7"));
    registry.PutValue(kDeviceKey, "Short", kRegBinary, {0x34, 0x12});
    registry.PutValue(kDeviceKey, "Long", kRegQword, {5, 0, 0, 0, 0, 0, 0, 0});
    int32_t rc = -1;
    EXPECT_EQ(Number("Dword", 1), 0x12345678);
    EXPECT_EQ(Number("Text", 1), 0x37);
    EXPECT_EQ(Number("Short", -1), 0x1234);
    EXPECT_EQ(Number("Long", 42, &rc), 42);
    EXPECT_EQ(rc, kRegMoreData);
    EXPECT_EQ(Number("Missing", 43, &rc), 43);
    EXPECT_EQ(rc, kRegFileNotFound);
}

TEST_F(ModRegistry, AnUnknownWantedTypeOrABadNameReadsNothing) {
    registry.PutDword(kDeviceKey, "Dword", 9);
    std::string text = "seed";
    int32_t number = 3;
    EXPECT_EQ(QueryDeviceValue(p, "CashDrawer", "NVCD1", "Dword", kRegBinary, &text, &number), kRegInvalidParameter);
    EXPECT_EQ(text, "seed");
    EXPECT_EQ(number, 3);
    EXPECT_EQ(QueryDeviceValue(p, "CashDrawer", "", "Dword", kRegDword, &text, &number), kRegInvalidParameter);
    EXPECT_EQ(number, 3);
    EXPECT_EQ(QueryDeviceValue(p, "CashDrawer", "", "", kRegSz, &text, &number), kRegInvalidParameter);
    EXPECT_EQ(text, "");
}

// Reads open keys for reading only, and a deletion opens the parent that
// way: a missing device (or class) stays missing.
TEST_F(ModRegistry, ReadingOrDeletingAMissingDeviceMakesNoKey) {
    int32_t rc = -1;
    EXPECT_EQ(Text("Description", &rc), "");
    EXPECT_EQ(rc, kRegFileNotFound);
    EXPECT_EQ(Number("MasterValue", 9, &rc), 9);
    EXPECT_EQ(rc, kRegFileNotFound);
    CashDrawerDevice read = Junk();
    EXPECT_EQ(ReadDeviceRecord(p, "CashDrawer", "NVCD1", &read), kRegFileNotFound);
    EXPECT_EQ(read, (CashDrawerDevice{"CashDrawer", "", "", "NVCD1", "", "", 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(DeleteRegKey(p, kClassKey, "NVCD1"), kRegFileNotFound);
    EXPECT_FALSE(registry.HasKey(kOposRoot));
    EXPECT_TRUE(registry.writes().empty());
}

// --- SetDeviceString / SetDeviceDword -------------------------------------

TEST_F(ModRegistry, StringsAndNumbersAreWrittenWithTheirExactBytes) {
    EXPECT_EQ(SetDeviceString(p, "CashDrawer", "NVCD1", "Text", "ab"), kRegSuccess);
    EXPECT_EQ(SetDeviceString(p, "CashDrawer", "NVCD1", "Empty", ""), kRegSuccess);
    EXPECT_EQ(SetDeviceDword(p, "CashDrawer", "NVCD1", "Number", -1), kRegSuccess);
    EXPECT_EQ(SetDeviceString(p, "CashDrawer", "NVCD1", "Long", std::string(1000, 'x')), kRegSuccess);
    const auto* text = registry.Find(kDeviceKey, "text");
    const auto* empty = registry.Find(kDeviceKey, "EMPTY");
    const auto* number = registry.Find(kDeviceKey, "Number");
    ASSERT_TRUE(text && empty && number);
    EXPECT_EQ(text->type, kRegSz);
    EXPECT_EQ(text->data, Sz("ab"));
    EXPECT_EQ(empty->type, kRegSz);
    EXPECT_TRUE(empty->data.empty());
    EXPECT_EQ(number->type, kRegDword);
    EXPECT_EQ(number->data, Dw(0xFFFFFFFF));
    EXPECT_EQ(registry.Find(kDeviceKey, "Long")->data.size(), 1001u);
    EXPECT_EQ(Text("Long"), "");  // too long to read back
}

// --- DeleteRegKey ---------------------------------------------------------

TEST_F(ModRegistry, DeletesALeafKeyButNotOneWithSubkeys) {
    registry.PutDword(kDeviceKey, "MasterValue", 8);
    registry.PutKey(kClassKey + "\\NVCD2\\Sub");
    EXPECT_EQ(DeleteRegKey(p, kClassKey, "nvcd1"), kRegSuccess);
    EXPECT_FALSE(registry.HasKey(kDeviceKey));
    EXPECT_EQ(DeleteRegKey(p, kClassKey, "NVCD2"), kRegAccessDenied);
    EXPECT_TRUE(registry.HasKey(kClassKey + "\\NVCD2\\Sub"));
    EXPECT_EQ(DeleteRegKey(p, kClassKey, "NVCD1"), kRegFileNotFound);
}

TEST_F(ModRegistry, DeleteRefusesNamesThatWouldReachAnotherKey) {
    registry.PutKey(kClassKey + "\\NVCD2\\Sub");
    registry.PutKey(kClassKey + "\\Empty");
    // "" would delete the parent itself; a path, a key further down.
    EXPECT_EQ(DeleteRegKey(p, kClassKey + "\\Empty", ""), kRegInvalidParameter);
    EXPECT_EQ(DeleteRegKey(p, kClassKey, "NVCD2\\Sub"), kRegInvalidParameter);
    EXPECT_TRUE(registry.HasKey(kClassKey + "\\Empty"));
    EXPECT_TRUE(registry.HasKey(kClassKey + "\\NVCD2\\Sub"));
}

// --- SaveDeviceRecord: moves and replacements ------------------------------

// A rename carries every value of the old key that the record does not
// (type and exact bytes: a text without terminator, an empty binary); the
// record's own values win; the old key goes. Only then does DeviceKeyExists
// see the new name.
TEST_F(ModRegistry, MovingCarriesTheHandSetValuesWithTheirExactBytes) {
    const std::string& front = kFrontKey;
    const std::vector<uint8_t> unterminated = Bytes("abc");
    registry.PutValue(kDeviceKey, "", kRegSz, Sz("Old.ProgID"));
    registry.PutValue(kDeviceKey, "CD_Port", kRegDword, Dw(0x280));
    registry.PutValue(kDeviceKey, "Note", kRegSz, unterminated);
    registry.PutValue(kDeviceKey, "Blob", kRegBinary, {});
    EXPECT_FALSE(DeviceKeyExists(p, "CashDrawer", "Front"));
    CashDrawerDevice moved = SampleRecord();
    moved.DeviceName = "Front";
    const modRegistry::SaveResult saved = SaveDeviceRecord(p, moved, "nvcd1", false);
    EXPECT_EQ(saved.result, kRegSuccess);
    EXPECT_TRUE(saved.restored);
    EXPECT_FALSE(registry.HasKey(kDeviceKey));
    EXPECT_EQ(registry.ValueNames(front).size(), 15u);
    EXPECT_EQ(registry.Find(front, "")->data, Sz("Norvane.CashDrawer"));
    EXPECT_EQ(registry.Find(front, "CD_Port")->data, Dw(0x280));
    EXPECT_EQ(registry.Find(front, "Note")->data, unterminated);
    EXPECT_EQ(registry.Find(front, "Blob")->type, kRegBinary);
    EXPECT_TRUE(registry.Find(front, "Blob")->data.empty());
    EXPECT_TRUE(DeviceKeyExists(p, "CashDrawer", "FRONT"));
    EXPECT_FALSE(DeviceKeyExists(p, "CashDrawer", "A\\B"));
}

// Writing over another entry (replace) leaves exactly the written entry:
// after a move, what a move to a free name leaves; after a create, the
// twelve values. A step that fails, or a name that cannot be read, leaves
// both entries as they were.
TEST_F(ModRegistry, ReplacingAnotherEntryLeavesExactlyTheWrittenOne) {
    const std::string& front = kFrontKey;
    const struct {
        const char* label;
        const char* from;  // "" for a create
        void (*spoil)(FakeRegistry&);
        int32_t result;
    } cases[] = {
        {"move", "NVCD1", [](FakeRegistry&) {}, kRegSuccess},
        {"create", "", [](FakeRegistry&) {}, kRegSuccess},
        {"old key has a subkey", "NVCD1", [](FakeRegistry& r) { r.PutKey(kDeviceKey + "\\Sub"); }, kRegAccessDenied},
        {"a removal fails", "NVCD1", [](FakeRegistry& r) { r.FailWritesOf("CS_Status", kRegAccessDenied); },
         kRegAccessDenied},
        {"a write fails", "", [](FakeRegistry& r) { r.FailWritesOf("Timeout", kRegAccessDenied); }, kRegAccessDenied},
        {"unreadable old value", "NVCD1", [](FakeRegistry& r) { r.PutForeignValue(kDeviceKey, "x"); },
         kRegNoUnicodeTranslation},
        {"unreadable other value", "", [](FakeRegistry& r) { r.PutForeignValue(kFrontKey, "x"); },
         kRegNoUnicodeTranslation},
    };
    CashDrawerDevice renamed = SampleRecord();
    renamed.DeviceName = "Front";
    renamed.PulseOnTime = 120;
    // What the same move leaves when no other entry is in the way.
    auto hand_set = [](FakeRegistry& r) {
        r.PutDword(kDeviceKey, "CD_Port", 0x280);
        r.PutDword(kDeviceKey, "CD_Fire", 0x281);
        r.PutDword(kDeviceKey, "CS_Port", 0x282);
    };
    FakeRegistry free_name;
    StorePlatform q{&free_name, nullptr, &folder};
    ASSERT_EQ(WriteDeviceRecord(q, SampleRecord()), kRegSuccess);
    hand_set(free_name);
    ASSERT_EQ(SaveDeviceRecord(q, renamed, "NVCD1", false).result, kRegSuccess);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FakeRegistry r;
        StorePlatform s{&r, nullptr, &folder};
        ASSERT_EQ(WriteDeviceRecord(s, SampleRecord()), kRegSuccess);
        hand_set(r);
        CashDrawerDevice other = SampleRecord();
        other.DeviceName = "Front";
        other.SOProgID = "Other.CashDrawer";
        ASSERT_EQ(WriteDeviceRecord(s, other), kRegSuccess);
        r.PutDword(front, "CD_Port", 0x300);
        r.PutDword(front, "CS_Status", 0x301);
        r.PutDword(front, "CD_Phase", 1);
        c.spoil(r);
        const std::string before = r.Dump();

        const modRegistry::SaveResult saved = SaveDeviceRecord(s, renamed, c.from, true);
        EXPECT_EQ(saved.result, c.result);
        EXPECT_TRUE(saved.restored);
        if (c.result != kRegSuccess) {
            EXPECT_EQ(r.Dump(), before);
        } else if (*c.from != '\0') {
            EXPECT_EQ(r.Dump(kClassKey), free_name.Dump(kClassKey));
        } else {
            EXPECT_EQ(r.ValueNames(front).size(), 12u);
            EXPECT_EQ(r.Find(front, "PulseOnTime")->data, Dw(120));
            EXPECT_TRUE(r.HasKey(kDeviceKey));
        }
        EXPECT_EQ(r.open_keys(), 0u);
    }
}

}  // namespace
}  // namespace trellup::test
