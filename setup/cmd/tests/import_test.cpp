#include <gtest/gtest.h>

#include "cmd/device_entries.h"
#include "cmd/import.h"
#include "store/mod_registry.h"
#include "support/cmd_fixture.h"

namespace trellup::cmd::test {
namespace {

class ImportTest : public ::testing::Test {
protected:
    ProvisioningFile Parse(const std::vector<std::string>& devices) {
        const ReadResult r = ReadProvisioning(FileJson(devices), Latin1Codec());
        EXPECT_TRUE(r.errors.empty());
        return r.file;
    }
    // "created Front; unchanged Back" with reasons in brackets.
    std::string Outcomes(const ImportReport& report) {
        std::string s;
        for (const ImportLine& l : report.lines) {
            s += (s.empty() ? "" : "; ") + std::string(OutcomeText(l.outcome)) + " " + l.device;
            if (!l.reason.empty()) s += " [" + l.reason + "]";
        }
        return s;
    }
    std::vector<modRegistry::DeviceValue> Values(const std::string& name) {
        std::vector<modRegistry::DeviceValue> v;
        modRegistry::ReadKeyValues(env.store(), kDrawerKey + "\\" + name, &v);
        return v;
    }
    ImportReport Do(const std::vector<std::string>& devices, ImportOptions o = {}) {
        if (o.dll_path.empty()) o.dll_path = "D:\\Ports";
        return Import(env.store(), Parse(devices), o);
    }

    FakeEnv env;
};

TEST_F(ImportTest, WritesWithTheDialogsWriterThenHandSetValuesAndASecondRunChangesNothing) {
    EXPECT_EQ(Outcomes(Do({DeviceJson("Front"), DeviceJson("Hand", kPorts, "99")})), "created Front; created Hand");
    std::vector<std::string> written;
    for (const auto& w : env.registry.writes()) {
        if (w.key_path == kDrawerKey + "\\Hand") written.push_back(w.name);
    }
    EXPECT_EQ(written, (std::vector<std::string>{"", "Description", "DeviceName", "DeviceDesc", "DllPath", "Master",
                                                 "CheckStatusPeriod", "ConnectorPinNo", "MasterValue",
                                                 "OpenStatusPhase", "PulseOnTime", "Timeout", "CD_Port", "CD_Fire",
                                                 "CS_Port", "CS_Status", "CD_Phase"}));
    EXPECT_EQ(env.registry.Find(kDrawerKey + "\\Hand", "DllPath")->data,
              trellup::test::Bytes(std::string("D:\\Ports") + '\0'));

    const size_t writes = env.registry.writes().size();
    EXPECT_EQ(Outcomes(Do({DeviceJson("Front"), DeviceJson("Hand", kPorts, "99")})), "unchanged Front; unchanged Hand");
    EXPECT_EQ(env.registry.writes().size(), writes);
}

TEST_F(ImportTest, AnEntryWithOtherValuesChangesOnlyWithReplaceAndThenHoldsExactlyTheFilesValues) {
    Do({DeviceJson("Front", R"(, "Note": "old")")});
    const std::string with_ports = DeviceJson("Front", kPorts, "99");
    const std::vector<modRegistry::DeviceValue> before = Values("Front");

    EXPECT_EQ(Outcomes(Do({with_ports})),
              "refused Front [exists with other values (MasterValue, CD_Port, CD_Fire, CS_Port, CS_Status, "
              "CD_Phase, Note); --replace changes it]");
    ImportOptions replace;
    replace.replace = true;
    replace.dry_run = true;
    const char* update = "updated Front [MasterValue, CD_Port, CD_Fire, CS_Port, CS_Status, CD_Phase, Note]";
    EXPECT_EQ(Outcomes(Do({with_ports}, replace)), update);
    EXPECT_EQ(Values("Front").size(), before.size());  // dry run: nothing written
    replace.dry_run = false;
    EXPECT_EQ(Outcomes(Do({with_ports}, replace)), update);
    EXPECT_EQ(env.registry.Find(kDrawerKey + "\\Front", "Note"), nullptr);
    EXPECT_EQ(Values("Front").size(), before.size() + 4);  // five port values, no Note
    EXPECT_EQ(Outcomes(Do({with_ports})), "unchanged Front");
}

TEST_F(ImportTest, AnEntryThatCannotBeWrittenWholeIsLeftAsItWas) {
    // A value of the record (the store's save undoes itself) and a hand-set
    // one (the import undoes the record it wrote).
    for (const char* failing : {"Timeout", "CD_Phase"}) {
        SCOPED_TRACE(failing);
        env.registry = trellup::test::FakeRegistry();
        Do({DeviceJson("Old")});
        const std::vector<modRegistry::DeviceValue> old_values = Values("Old");
        env.registry.FailWritesOf(failing, kRegAccessDenied);
        ImportOptions replace;
        replace.replace = true;
        EXPECT_EQ(Outcomes(Do({DeviceJson("New", kPorts, "99"), DeviceJson("Old", kPorts, "99")}, replace)),
                  "refused New [could not be written whole (registry error 5); left as it was]; "
                  "refused Old [could not be written whole (registry error 5); left as it was]");
        EXPECT_FALSE(env.registry.HasKey(kDrawerKey + "\\New"));
        const std::vector<modRegistry::DeviceValue> now = Values("Old");
        ASSERT_EQ(now.size(), old_values.size());
        for (size_t i = 0; i < now.size(); ++i) {
            EXPECT_EQ(now[i].name, old_values[i].name);
            EXPECT_EQ(now[i].data, old_values[i].data);
        }
    }
}

TEST_F(ImportTest, AllOrNothingWritesNoneWhenOneIsRefusedAndUndoesWhenOneFails) {
    Do({DeviceJson("Old")});
    ImportOptions all;
    all.all_or_nothing = true;
    EXPECT_EQ(Outcomes(Do({DeviceJson("New"), DeviceJson("Old", R"(, "Note": "x")")}, all)),
              "refused New [not written: another entry is refused]; "
              "refused Old [exists with other values (Note); --replace changes it]");
    EXPECT_FALSE(env.registry.HasKey(kDrawerKey + "\\New"));

    env.registry.FailWritesOf("CD_Phase", kRegAccessDenied);
    EXPECT_EQ(Outcomes(Do({DeviceJson("New"), DeviceJson("Hand", kPorts, "99"), DeviceJson("Last")}, all)),
              "refused New [undone: another entry could not be written]; "
              "refused Hand [could not be written whole (registry error 5); left as it was]; "
              "refused Last [not written: another entry could not be written]");
    EXPECT_FALSE(env.registry.HasKey(kDrawerKey + "\\New"));
    EXPECT_FALSE(env.registry.HasKey(kDrawerKey + "\\Hand"));
    EXPECT_FALSE(env.registry.HasKey(kDrawerKey + "\\Last"));
}

TEST_F(ImportTest, NoRightsToTheClassKeyWritesNothing) {
    env.registry.FailCreateKey(kRegAccessDenied);
    const ImportReport r = Do({DeviceJson("Front")});
    EXPECT_TRUE(r.no_rights);
    EXPECT_EQ(r.registry_result, kRegAccessDenied);
    EXPECT_EQ(Outcomes(r), "refused Front [not written: no rights to write the OPOS area]");
    EXPECT_TRUE(env.registry.writes().empty());
}

}  // namespace
}  // namespace trellup::cmd::test
